#pragma once
// A recording client, a recording destination and a one-message packet list for the MIDI tests.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/midi/MIDIService.h"
#include "platform/sim/SimulatedPlatform.h"

namespace midi_test {

using namespace platform;

// What a client's notify block saw: message ID and, for add/remove, the object.
struct Seen {
    std::int32_t messageID;
    MIDIObjectRef child;
    bool operator==(const Seen&) const = default;
};

inline Seen seenOf(const MIDINotification& notification) {
    const bool addOrRemove =
        notification.messageID == kMIDIMsgObjectAdded || notification.messageID == kMIDIMsgObjectRemoved;
    return {notification.messageID,
            addOrRemove ? static_cast<const MIDIObjectAddRemoveNotification&>(notification).child : 0};
}

class RecordingClient {
public:
    explicit RecordingClient(const std::string& name = "client") {
        const auto seen = seen_;
        EXPECT_EQ(MIDIClientCreateWithBlock(
                      name, &ref, [seen](const MIDINotification& n) { seen->push_back(seenOf(n)); }),
                  noErr);
    }
    const std::vector<Seen>& seen() const { return *seen_; }

    MIDIClientRef ref = 0;

private:
    std::shared_ptr<std::vector<Seen>> seen_ = std::make_shared<std::vector<Seen>>();
};

// A destination that keeps every byte it receives.
class Receiver {
public:
    Receiver(MIDIClientRef client, const std::string& name) {
        const auto received = received_;
        EXPECT_EQ(MIDIDestinationCreateWithBlock(client, name, &endpoint,
                                                 [received](const MIDIPacketList* list, void*) {
                                                     const MIDIPacket* packet = list->packet;
                                                     for (std::uint32_t i = 0; i < list->numPackets;
                                                          ++i, packet = MIDIPacketNext(packet))
                                                         received->insert(received->end(), packet->data,
                                                                          packet->data + packet->length);
                                                 }),
                  noErr);
    }
    const std::vector<std::uint8_t>& received() const { return *received_; }

    MIDIEndpointRef endpoint = 0;

private:
    std::shared_ptr<std::vector<std::uint8_t>> received_ = std::make_shared<std::vector<std::uint8_t>>();
};

inline std::vector<MIDIEndpointRef> enumerateDestinations() {
    std::vector<MIDIEndpointRef> all;
    for (ItemCount i = 0; i < MIDIGetNumberOfDestinations(); ++i)
        all.push_back(MIDIGetDestination(i));
    return all;
}

// A packet list holding one message.
struct OneMessage {
    explicit OneMessage(std::vector<std::uint8_t> bytes) {
        EXPECT_NE(MIDIPacketListAdd(&list(), sizeof buffer, MIDIPacketListInit(&list()), 0, bytes.size(),
                                    bytes.data()),
                  nullptr);
    }
    MIDIPacketList& list() { return *reinterpret_cast<MIDIPacketList*>(buffer); }

    alignas(MIDIPacketList) std::uint8_t buffer[1024];
};

} // namespace midi_test
