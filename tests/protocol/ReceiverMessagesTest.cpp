#include "protocol/ReceiverMessages.h"

#include <cstdint>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace protocol {
namespace {

using Bytes = std::vector<std::uint8_t>;
using ::testing::Each;
using ::testing::ElementsAreArray;
using ::testing::Lt;

template <typename Range> Bytes bytesOf(const Range& range) {
    return Bytes(range.begin(), range.end());
}

// The worked example, checked at compile time so that the encoders stay usable as constants.
constexpr std::uint32_t exampleUid = 0x12345678;
static_assert(makeMonitorMessage(exampleUid, heartbeatType) ==
              MonitorMessage{0xF0, 0x7D, 0x01, 0x11, 0x51, 0x2C, 0x78, 0x03, 0xF7});

TEST(WorkedExample, HeartbeatConnectAndEventReportOfUid12345678) {
    EXPECT_THAT(makeMonitorMessage(exampleUid, heartbeatType),
                ElementsAreArray({0xF0, 0x7D, 0x01, 0x11, 0x51, 0x2C, 0x78, 0x03, 0xF7}));
    EXPECT_THAT(makeMonitorMessage(exampleUid, connectRequestType),
                ElementsAreArray({0xF0, 0x7D, 0x01, 0x11, 0x51, 0x2C, 0x78, 0x01, 0xF7}));
    const Bytes cc7 = {0xB0, 0x07, 0x64};
    const EventReport report{makeInstanceTag(exampleUid), *makeEventBytes(cc7)};
    EXPECT_THAT(bytesOf(makeEventReportBytes(report).bytes()),
                ElementsAreArray({0xF0, 0x7D, 0x01, 0x11, 0x51, 0x2C, 0x78, 0xF7, 0xB0, 0x07, 0x64}));
}

struct UidCase {
    std::uint32_t uid;
    UidField field;
};

class UidEncoding : public ::testing::TestWithParam<UidCase> {};

TEST_P(UidEncoding, FieldIsFiveDataBytesMostSignificantFirst) {
    const UidField field = makeUidField(GetParam().uid);
    EXPECT_EQ(field, GetParam().field);
    EXPECT_THAT(field, Each(Lt(0x80)));
    EXPECT_EQ(uidFromField(field), GetParam().uid);
}

TEST_P(UidEncoding, EveryMonitorMessageCarriesTheField) {
    const auto& [uid, u] = GetParam();
    const auto framed = [&u](Bytes tail) {
        Bytes bytes = {0xF0, 0x7D, u[0], u[1], u[2], u[3], u[4]};
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        return bytes;
    };
    EXPECT_EQ(bytesOf(makeInstanceTag(uid)), framed({0xF7}));
    for (const std::uint8_t type : {connectRequestType, disconnectRequestType, heartbeatType})
        EXPECT_EQ(bytesOf(makeMonitorMessage(uid, type)), framed({type, 0xF7}));
}

INSTANTIATE_TEST_SUITE_P(EdgeValues, UidEncoding,
                         ::testing::Values(UidCase{0x12345678, {0x01, 0x11, 0x51, 0x2C, 0x78}},
                                           UidCase{0xFFFFFFFF, {0x0F, 0x7F, 0x7F, 0x7F, 0x7F}},
                                           UidCase{1, {0x00, 0x00, 0x00, 0x00, 0x01}},
                                           UidCase{0x80000000, {0x08, 0x00, 0x00, 0x00, 0x00}},
                                           UidCase{0x0FFFFFFF, {0x00, 0x7F, 0x7F, 0x7F, 0x7F}},
                                           UidCase{0x00000080, {0x00, 0x00, 0x00, 0x01, 0x00}}));

TEST(MonitorMessage, TypeByteGoesOutUnchanged) {
    // The connect request passes its marker through; no other value is sent, but none is altered.
    EXPECT_EQ(makeMonitorMessage(1, 0x05)[7], 0x05);
}

struct EventReportCase {
    const char* name;
    Bytes event;
    Bytes wire; // for uid 0x12345678
};

class EventReportEncoding : public ::testing::TestWithParam<EventReportCase> {};

TEST_P(EventReportEncoding, IsTheTagFollowedByTheEventBytesAsReceived) {
    const auto event = makeEventBytes(GetParam().event);
    ASSERT_TRUE(event.has_value());
    const EventReportBytes wire = makeEventReportBytes({makeInstanceTag(exampleUid), *event});
    EXPECT_THAT(bytesOf(wire.bytes()), ElementsAreArray(GetParam().wire));
}

const Bytes tag12345678 = {0xF0, 0x7D, 0x01, 0x11, 0x51, 0x2C, 0x78, 0xF7};

Bytes tagThen(Bytes event) {
    Bytes wire = tag12345678;
    wire.insert(wire.end(), event.begin(), event.end());
    return wire;
}

INSTANTIATE_TEST_SUITE_P(
    ChannelMessages, EventReportEncoding,
    ::testing::Values(EventReportCase{"ControlChange", {0xB0, 0x07, 0x64}, tagThen({0xB0, 0x07, 0x64})},
                      EventReportCase{"ChannelPressureIsTenBytes", {0xD5, 0x30}, tagThen({0xD5, 0x30})},
                      EventReportCase{
                          "PitchWheelKeepsLsbAndMsb", {0xE0, 0x7F, 0x40}, tagThen({0xE0, 0x7F, 0x40})},
                      EventReportCase{"NoteOnChannel16", {0x9F, 0x3C, 0x64}, tagThen({0x9F, 0x3C, 0x64})},
                      EventReportCase{"OneByteIsNineBytes", {0xF8}, tagThen({0xF8})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EventBytes, OnlyOneToThreeBytesMakeAChannelMessage) {
    EXPECT_FALSE(makeEventBytes({}).has_value());
    const Bytes four = {0xB0, 0x07, 0x64, 0x00};
    EXPECT_FALSE(makeEventBytes(four).has_value());
}

TEST(EventBytes, EqualityIgnoresBytesBeyondTheLength) {
    EventBytes a = *makeEventBytes(Bytes{0xD0, 0x10});
    EventBytes b = a;
    b.data[2] = 0x55;
    EXPECT_EQ(a, b);
}

TEST(PeakMeterMessage, CarriesItsFieldsInOrder) {
    EXPECT_THAT(makePeakMeterMessage(1, 0, 127, 0),
                ElementsAreArray({0xF0, 0x7E, 0x01, 0x00, 0x7F, 0x00, 0xF7}));
    EXPECT_THAT(makePeakMeterMessage(127, 12, 42, 114),
                ElementsAreArray({0xF0, 0x7E, 0x7F, 0x0C, 0x2A, 0x72, 0xF7}));
}

} // namespace
} // namespace protocol
