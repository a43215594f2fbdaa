#include "protocol/WireSender.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "protocol/ReceiverMessages.h"

namespace protocol {
namespace {

using namespace platform;
using Bytes = std::vector<std::uint8_t>;

// Stands in for MIDISend: keeps what each send carried and answers with `result`.
struct SendSpy {
    static inline std::vector<Bytes> packets;
    static inline int calls = 0;
    static inline OSStatus result = noErr;

    static OSStatus send(MIDIPortRef, MIDIEndpointRef, const MIDIPacketList* list) {
        ++calls;
        const MIDIPacket* packet = list->packet;
        for (std::uint32_t i = 0; i < list->numPackets; ++i, packet = MIDIPacketNext(packet))
            packets.emplace_back(packet->data, packet->data + packet->length);
        return result;
    }
};

class WireSender : public ::testing::Test {
protected:
    void SetUp() override {
        SendSpy::packets.clear();
        SendSpy::calls = 0;
        SendSpy::result = noErr;
    }

    const EventReport pitchWheel{makeInstanceTag(0x12345678), *makeEventBytes(Bytes{0xE0, 0x00, 0x40})};
    const MonitorMessage heartbeat = makeMonitorMessage(0x12345678, heartbeatType);
};

TEST_F(WireSender, SendsNothingWithoutPortOrDestinationOrWhatDoesNotFitTheList) {
    EXPECT_EQ(sendMessage(0, 5, heartbeat, &SendSpy::send), std::nullopt);
    EXPECT_EQ(sendMessage(5, 0, heartbeat, &SendSpy::send), std::nullopt);
    EXPECT_EQ(sendEventReport(0, 5, pitchWheel, &SendSpy::send), std::nullopt);
    EXPECT_EQ(sendEventReport(5, 0, pitchWheel, &SendSpy::send), std::nullopt);
    EXPECT_EQ(sendMessage(1, 2, Bytes(1024, 0x00), &SendSpy::send), std::nullopt);
    EXPECT_EQ(SendSpy::calls, 0);
}

TEST_F(WireSender, OneMessageIsOnePacketInOneSendThatReturnsTheSendsStatus) {
    SendSpy::result = -10838;
    EXPECT_EQ(sendMessage(1, 2, heartbeat, &SendSpy::send), -10838);
    EXPECT_EQ(SendSpy::calls, 1);
    EXPECT_EQ(SendSpy::packets, std::vector<Bytes>{Bytes(heartbeat.begin(), heartbeat.end())});
}

} // namespace
} // namespace protocol
