#include "protocol/ReceiverMessageDecoder.h"

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "protocol/ReceiverMessages.h"

namespace protocol {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Kind = ReceiverMessage::Kind;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

template <typename Range> Bytes bytesOf(const Range& range) {
    return Bytes(range.begin(), range.end());
}

// What a monitor sends, by kind; the event bytes only count for an EventReport.
Bytes encode(Kind kind, std::uint32_t uid, const Bytes& event) {
    switch (kind) {
    case Kind::heartbeat:
        return bytesOf(makeMonitorMessage(uid, heartbeatType));
    case Kind::connectRequest:
        return bytesOf(makeMonitorMessage(uid, connectRequestType));
    case Kind::disconnectRequest:
        return bytesOf(makeMonitorMessage(uid, disconnectRequestType));
    default:
        return bytesOf(makeEventReportBytes({makeInstanceTag(uid), *makeEventBytes(event)}).bytes());
    }
}

class MonitorRoundTrip : public ::testing::TestWithParam<std::tuple<Kind, std::uint32_t, Bytes>> {};

TEST_P(MonitorRoundTrip, DecodesKindUidAndEvent) {
    const auto& [kind, uid, event] = GetParam();
    const Bytes wire = encode(kind, uid, event);
    const ReceiverMessage message = decodeReceiverMessage(wire);
    EXPECT_EQ(message.kind, kind);
    EXPECT_EQ(message.uid, uid);
    EXPECT_EQ(message.bytes, wire);
    if (kind == Kind::eventReport)
        EXPECT_EQ(message.event, event);
    else
        EXPECT_THAT(message.event, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    NineByteMessages, MonitorRoundTrip,
    ::testing::Combine(::testing::Values(Kind::heartbeat, Kind::connectRequest, Kind::disconnectRequest),
                       ::testing::Values(1u, 0x0FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0x12345678u),
                       ::testing::Values(Bytes{})));

INSTANTIATE_TEST_SUITE_P(EventReports, MonitorRoundTrip,
                         ::testing::Combine(::testing::Values(Kind::eventReport),
                                            ::testing::Values(1u, 0x0FFFFFFFu, 0x80000000u, 0xFFFFFFFFu),
                                            ::testing::Values(Bytes{0xB0, 0x07, 0x64}, Bytes{0xD5, 0x30},
                                                              Bytes{0xE0, 0x00, 0x40},
                                                              Bytes{0x9F, 0x3C, 0x64}, Bytes{0xF8})));

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

struct DescribeCase {
    Bytes bytes;
    std::string text;
};

class Describe : public ::testing::TestWithParam<DescribeCase> {};

TEST_P(Describe, ReadsOneLine) {
    EXPECT_EQ(describe(decodeReceiverMessage(GetParam().bytes)), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, Describe,
    ::testing::Values(
        DescribeCase{encode(Kind::heartbeat, 0x12345678, {}), "heartbeat uid=0x12345678"},
        DescribeCase{encode(Kind::connectRequest, 1, {}), "connect uid=0x00000001"},
        DescribeCase{encode(Kind::disconnectRequest, 0xFFFFFFFF, {}), "disconnect uid=0xFFFFFFFF"},
        DescribeCase{encode(Kind::eventReport, 0x80000000, {0xB0, 0x07, 0x64}),
                     "event uid=0x80000000 B0 07 64"},
        DescribeCase{bytesOf(makePeakMeterMessage(1, 0, 127, 0)), "peak instance=1 track=0 L=127 R=0"},
        DescribeCase{{0xB0, 0x07, 0x64}, "unknown (3 bytes)"}));

TEST(HexString, UpperCasePairsWithSingleSpaces) {
    EXPECT_EQ(hexString(Bytes{}), "");
    EXPECT_EQ(hexString(Bytes{0x0A}), "0A");
    EXPECT_EQ(hexString(Bytes{0xF0, 0x7d, 0x00}), "F0 7D 00");
}

} // namespace
} // namespace protocol
