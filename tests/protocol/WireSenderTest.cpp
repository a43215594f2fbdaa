#include "protocol/WireSender.h"

#include <array>
#include <cstdint>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "protocol/ReceiverMessages.h"
#include "rtguard/RealtimeGuard.h"

namespace protocol {
namespace {

using namespace platform;
using Bytes = std::vector<std::uint8_t>;
using ::testing::ElementsAreArray;

// A send function that keeps what it was given in fixed storage, so that it allocates nothing.
struct SendSpy {
    static inline int calls = 0;
    static inline std::uint32_t packets = 0;
    static inline std::array<std::uint8_t, 64> bytes{};
    static inline std::size_t byteCount = 0;
    static inline OSStatus result = noErr;

    static OSStatus send(MIDIPortRef, MIDIEndpointRef, const MIDIPacketList* list) {
        ++calls;
        packets = list->numPackets;
        byteCount = 0;
        const MIDIPacket* packet = list->packet;
        for (std::uint32_t i = 0; i < list->numPackets; ++i, packet = MIDIPacketNext(packet))
            for (std::uint16_t b = 0; b < packet->length; ++b)
                bytes[byteCount++] = packet->data[b];
        return result;
    }
    static Bytes received() { return Bytes(bytes.begin(), bytes.begin() + byteCount); }
};

class WireSender : public ::testing::Test {
protected:
    void SetUp() override {
        SendSpy::calls = 0;
        SendSpy::result = noErr;
    }

    const EventReport pitchWheel{makeInstanceTag(0x12345678), *makeEventBytes(Bytes{0xE0, 0x00, 0x40})};
    const MonitorMessage heartbeat = makeMonitorMessage(0x12345678, heartbeatType);
};

TEST_F(WireSender, NothingIsSentWithoutPortOrDestination) {
    EXPECT_EQ(sendMessage(0, 5, heartbeat, &SendSpy::send), std::nullopt);
    EXPECT_EQ(sendMessage(5, 0, heartbeat, &SendSpy::send), std::nullopt);
    EXPECT_EQ(sendEventReport(0, 5, pitchWheel, &SendSpy::send), std::nullopt);
    EXPECT_EQ(sendEventReport(5, 0, pitchWheel, &SendSpy::send), std::nullopt);
    EXPECT_EQ(SendSpy::calls, 0);
}

TEST_F(WireSender, OneMessageIsOnePacketInOneSend) {
    SendSpy::result = -10838;
    EXPECT_EQ(sendMessage(1, 2, heartbeat, &SendSpy::send), -10838);
    EXPECT_EQ(SendSpy::calls, 1);
    EXPECT_EQ(SendSpy::packets, 1u);
    EXPECT_THAT(SendSpy::received(), ElementsAreArray(heartbeat));
}

TEST_F(WireSender, AMessageTooLongForTheListIsNotSent) {
    const Bytes tooLong(1024, 0x00);
    EXPECT_EQ(sendMessage(1, 2, tooLong, &SendSpy::send), std::nullopt);
    EXPECT_EQ(SendSpy::calls, 0);
}

TEST_F(WireSender, NeverAllocatesOrLocks) {
    if (!platform_test::RealtimeGuard::available()) GTEST_SKIP() << "no counting in sanitizer builds";
    const PeakMeterMessage peak = makePeakMeterMessage(1, 0, 127, 0);
    platform_test::RealtimeGuard guard;
    sendMessage(1, 2, peak, &SendSpy::send);
    sendEventReport(1, 2, pitchWheel, &SendSpy::send);
    EXPECT_EQ(guard.violations(), 0);
}

} // namespace
} // namespace protocol
