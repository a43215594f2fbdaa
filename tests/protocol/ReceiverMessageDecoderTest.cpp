#include "protocol/ReceiverMessageDecoder.h"

#include <cstdint>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "protocol/ReceiverMessages.h"

namespace protocol {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Kind = ReceiverMessage::Kind;
using ::testing::IsEmpty;

TEST(MonitorMessages, DecodeToTheirKindUidAndEventAndKeepTheirBytes) {
    for (const std::uint32_t uid : {1u, 0x80000000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(uid);
        for (const auto& [type, kind] :
             {std::pair{heartbeatType, Kind::heartbeat}, std::pair{connectRequestType, Kind::connectRequest},
              std::pair{disconnectRequestType, Kind::disconnectRequest}}) {
            const MonitorMessage wire = makeMonitorMessage(uid, type);
            const ReceiverMessage message = decodeReceiverMessage(wire);
            EXPECT_EQ(message.kind, kind);
            EXPECT_EQ(message.uid, uid);
            EXPECT_THAT(message.event, IsEmpty());
            EXPECT_EQ(message.bytes, Bytes(wire.begin(), wire.end()));
        }
        // Event reports of every length the monitor forwards.
        for (const Bytes& event : {Bytes{0xB0, 0x07, 0x64}, Bytes{0xD5, 0x30}, Bytes{0xF8}}) {
            const EventReportBytes wire =
                makeEventReportBytes({makeInstanceTag(uid), *makeEventBytes(event)});
            const ReceiverMessage message = decodeReceiverMessage(wire.bytes());
            EXPECT_EQ(message.kind, Kind::eventReport);
            EXPECT_EQ(message.uid, uid);
            EXPECT_EQ(message.event, event);
            EXPECT_EQ(message.bytes, Bytes(wire.bytes().begin(), wire.bytes().end()));
        }
    }
}

TEST(PeakMeterDecoding, RoundTripsEveryField) {
    for (const auto& [id, track, left, right] : {std::tuple{1, 0, 127, 0}, std::tuple{127, 127, 0, 127}}) {
        const auto wire = makePeakMeterMessage(id, track, left, right);
        const ReceiverMessage message = decodeReceiverMessage(wire);
        EXPECT_EQ(message.kind, Kind::peakMeter);
        EXPECT_EQ(message.instanceID, id);
        EXPECT_EQ(message.trackNr, track);
        EXPECT_EQ(message.peakL, left);
        EXPECT_EQ(message.peakR, right);
    }
}

struct MalformedCase {
    const char* name;
    Bytes bytes;
};

class Malformed : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(Malformed, IsUnknownWithNoFieldsButKeepsTheBytes) {
    const ReceiverMessage message = decodeReceiverMessage(GetParam().bytes);
    EXPECT_EQ(message.kind, Kind::unknown);
    EXPECT_EQ(message.uid, 0u);
    EXPECT_THAT(message.event, IsEmpty());
    EXPECT_EQ(message.bytes, GetParam().bytes);
    EXPECT_EQ(describe(message), "unknown (" + std::to_string(GetParam().bytes.size()) + " bytes)");
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, Malformed,
    ::testing::Values(
        MalformedCase{"Empty", {}}, MalformedCase{"SysExStartOnly", {0xF0}},
        MalformedCase{"RawChannelMessage", {0xB0, 0x07, 0x64}},
        MalformedCase{"InstanceTagAlone", {0xF0, 0x7D, 0x01, 0x11, 0x51, 0x2C, 0x78, 0xF7}},
        MalformedCase{"FourEventBytes",
                      {0xF0, 0x7D, 0x01, 0x11, 0x51, 0x2C, 0x78, 0xF7, 0xB0, 0x07, 0x64, 0x00}},
        MalformedCase{"TypeNotSent", {0xF0, 0x7D, 0x01, 0x11, 0x51, 0x2C, 0x78, 0x04, 0xF7}},
        MalformedCase{"MissingEnd", {0xF0, 0x7D, 0x01, 0x11, 0x51, 0x2C, 0x78, 0x03, 0x00}},
        MalformedCase{"TrailingByte", {0xF0, 0x7D, 0x01, 0x11, 0x51, 0x2C, 0x78, 0x03, 0xF7, 0xF7}},
        MalformedCase{"UidTopNibbleTooLarge", {0xF0, 0x7D, 0x10, 0x00, 0x00, 0x00, 0x00, 0x03, 0xF7}},
        MalformedCase{"UidByteNotData", {0xF0, 0x7D, 0x00, 0x00, 0x80, 0x00, 0x00, 0x03, 0xF7}},
        MalformedCase{"OtherFamily", {0xF0, 0x7C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x03, 0xF7}},
        MalformedCase{"PeakTooLong", {0xF0, 0x7E, 0x01, 0x00, 0x7F, 0x00, 0x00, 0xF7}},
        MalformedCase{"PeakFieldNotData", {0xF0, 0x7E, 0x01, 0x00, 0x80, 0x00, 0xF7}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace protocol
