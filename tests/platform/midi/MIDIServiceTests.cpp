// The MIDI service: its objects and their errors, sending, and the packet list.
#include <gtest/gtest.h>

#include <cstddef>
#include <numeric>

#include "MIDITestSupport.h"

using namespace midi_test;

namespace {

constexpr std::int32_t kvrt = 0x4B565254;

class MIDIServiceTest : public ::testing::Test {
protected:
    SimulatedPlatform sim;
    RecordingClient owner{"receiver"};
};

TEST_F(MIDIServiceTest, DestinationsEnumerateInCreationOrderWithHandlesNeverReusedAndIDsNeverZeroOrKVRT) {
    Receiver a(owner.ref, "a"), b(owner.ref, "b"), c(owner.ref, "c");
    ASSERT_EQ(MIDIEndpointDispose(b.endpoint), noErr);
    Receiver d(owner.ref, "d");
    EXPECT_EQ(enumerateDestinations(), (std::vector{a.endpoint, c.endpoint, d.endpoint}));
    EXPECT_EQ(MIDIGetDestination(3), 0u);
    EXPECT_GT(d.endpoint, c.endpoint);
    for (int i = 0; i < 100; ++i) {
        Receiver receiver(owner.ref, "r");
        std::int32_t id = 0;
        ASSERT_EQ(MIDIObjectGetIntegerProperty(receiver.endpoint, kMIDIPropertyUniqueID, &id), noErr);
        EXPECT_NE(id, 0);
        EXPECT_NE(id, kvrt);
    }
}

TEST_F(MIDIServiceTest, CallsOnWhatIsNotThereOrNotOfTheirKindFail) {
    Receiver a(owner.ref, "a");
    MIDIPortRef port = 0;
    ASSERT_EQ(MIDIOutputPortCreate(owner.ref, "out", &port), noErr);
    std::int32_t id = 0;
    EXPECT_EQ(MIDIObjectGetIntegerProperty(port, kMIDIPropertyUniqueID, &id), kMIDIUnknownProperty);
    EXPECT_EQ(MIDIObjectGetIntegerProperty(owner.ref, kMIDIPropertyUniqueID, &id), kMIDIUnknownProperty);
    EXPECT_EQ(MIDIObjectGetIntegerProperty(a.endpoint, "name", &id), kMIDIUnknownProperty);
    EXPECT_EQ(MIDIObjectGetIntegerProperty(9999, kMIDIPropertyUniqueID, &id), kMIDIObjectNotFound);
    EXPECT_EQ(MIDIObjectGetIntegerProperty(a.endpoint, kMIDIPropertyUniqueID, nullptr), paramErr);
    EXPECT_EQ(MIDIObjectSetIntegerProperty(port, kMIDIPropertyUniqueID, kvrt), kMIDIUnknownProperty);
    EXPECT_EQ(id, 0);

    EXPECT_EQ(MIDIEndpointDispose(port), kMIDIObjectNotFound);
    EXPECT_EQ(MIDIPortDispose(a.endpoint), kMIDIInvalidPort);
    EXPECT_EQ(MIDIPortDispose(port), noErr);
    EXPECT_EQ(MIDIPortDispose(port), kMIDIInvalidPort);
    EXPECT_EQ(MIDIClientDispose(owner.ref), noErr);
    EXPECT_EQ(MIDIClientDispose(owner.ref), kMIDIInvalidClient);
    EXPECT_EQ(MIDIEndpointDispose(a.endpoint), kMIDIObjectNotFound);

    port = 77;
    EXPECT_EQ(MIDIOutputPortCreate(9999, "out", &port), kMIDIInvalidClient);
    EXPECT_EQ(port, 0u);
    EXPECT_EQ(MIDIOutputPortCreate(owner.ref, "out", nullptr), paramErr);
    MIDIEndpointRef endpoint = 0;
    EXPECT_EQ(MIDIDestinationCreateWithBlock(9999, "d", &endpoint, nullptr), kMIDIInvalidClient);
    EXPECT_EQ(MIDIClientCreateWithBlock("c", nullptr, nullptr), paramErr);
    EXPECT_EQ(MIDIGetNumberOfDestinations(), 0u);
}

TEST_F(MIDIServiceTest, DisposingAClientTakesItsPortsAndDestinationsAlongAndEveryOtherClientHears) {
    RecordingClient watcher;
    RecordingClient leaving;
    Receiver theirs(leaving.ref, "theirs");
    Receiver mine(owner.ref, "mine");
    MIDIPortRef port = 0;
    ASSERT_EQ(MIDIOutputPortCreate(leaving.ref, "out", &port), noErr);
    sim.runDue();
    const std::vector<Seen> added{{kMIDIMsgObjectAdded, theirs.endpoint},
                                  {kMIDIMsgSetupChanged, 0},
                                  {kMIDIMsgObjectAdded, mine.endpoint},
                                  {kMIDIMsgSetupChanged, 0}};
    EXPECT_EQ(watcher.seen(), added);

    ASSERT_EQ(MIDIClientDispose(leaving.ref), noErr);
    EXPECT_EQ(enumerateDestinations(), std::vector{mine.endpoint});
    EXPECT_EQ(MIDIPortDispose(port), kMIDIInvalidPort);
    EXPECT_EQ(watcher.seen().size(), added.size()) << "told only when the queue runs";
    sim.runDue();
    EXPECT_EQ(std::vector(watcher.seen().begin() + 4, watcher.seen().end()),
              (std::vector<Seen>{{kMIDIMsgObjectRemoved, theirs.endpoint}, {kMIDIMsgSetupChanged, 0}}));
    EXPECT_EQ(leaving.seen(), added) << "a disposed client hears nothing more";
}

class MIDISendTest : public MIDIServiceTest {
protected:
    MIDISendTest() { EXPECT_EQ(MIDIOutputPortCreate(sender.ref, "Vantrel Out", &port), noErr); }

    OSStatus send(MIDIEndpointRef destination) { return MIDISend(port, destination, &message.list()); }

    RecordingClient sender{"Vantrel"};
    Receiver receiver{owner.ref, "receiver"};
    MIDIPortRef port = 0;
    OneMessage message{{0xF0, 0x7D, 0x01, 0xF7}};
};

TEST_F(MIDISendTest, SendingNeedsALivePortAndDestination) {
    EXPECT_EQ(MIDISend(port, receiver.endpoint, nullptr), paramErr);
    EXPECT_EQ(send(0), kMIDIUnknownEndpoint);
    EXPECT_EQ(send(port), kMIDIUnknownEndpoint);
    EXPECT_EQ(MIDISend(0, receiver.endpoint, &message.list()), kMIDIInvalidPort);
    ASSERT_EQ(MIDIEndpointDispose(receiver.endpoint), noErr);
    EXPECT_EQ(send(receiver.endpoint), kMIDIUnknownEndpoint);
    ASSERT_EQ(MIDIPortDispose(port), noErr);
    EXPECT_EQ(send(receiver.endpoint), kMIDIInvalidPort);
    EXPECT_TRUE(receiver.received().empty());
}

TEST_F(MIDISendTest, ArmedFailuresComeBeforeArmedExceptionsAndNeitherDeliversNorIsObserved) {
    int observed = 0;
    sim.midi().setSendObserver([&](const MIDISendRecord&) { ++observed; });
    sim.midi().throwNextSends(1);
    sim.midi().failNextSends(1, -1234);
    EXPECT_EQ(send(receiver.endpoint), -1234);
    EXPECT_THROW(send(receiver.endpoint), PlatformException);
    EXPECT_TRUE(receiver.received().empty());
    EXPECT_EQ(observed, 0);
    EXPECT_EQ(send(receiver.endpoint), noErr);
    EXPECT_EQ(receiver.received().size(), 4u);
    EXPECT_EQ(observed, 1);
}

TEST_F(MIDISendTest, ADestinationMayDisposeOfItselfWhileReceiving) {
    MIDIEndpointRef self = 0;
    int calls = 0;
    ASSERT_EQ(MIDIDestinationCreateWithBlock(owner.ref, "once", &self,
                                             [&](const MIDIPacketList*, void*) {
                                                 ++calls;
                                                 EXPECT_EQ(MIDIEndpointDispose(self), noErr);
                                             }),
              noErr);
    EXPECT_EQ(send(self), noErr);
    EXPECT_EQ(send(self), kMIDIUnknownEndpoint);
    EXPECT_EQ(calls, 1);
}

constexpr std::size_t room = 1024 - offsetof(MIDIPacketList, packet) - offsetof(MIDIPacket, data);

class MIDIPacketListTest : public ::testing::Test {
protected:
    MIDIPacketList* list() { return reinterpret_cast<MIDIPacketList*>(buffer); }

    alignas(MIDIPacketList) std::uint8_t buffer[1024] = {};
};

// (bytes in one packet, whether it fits a 1024-byte list)
using Fit = std::pair<std::size_t, bool>;
class PacketSize : public MIDIPacketListTest, public ::testing::WithParamInterface<Fit> {};

TEST_P(PacketSize, OnePacketFitsExactlyWhenItsBytesFit) {
    const auto [size, fits] = GetParam();
    std::vector<std::uint8_t> data(size);
    std::iota(data.begin(), data.end(), std::uint8_t{0});
    const MIDIPacket* packet =
        MIDIPacketListAdd(list(), sizeof buffer, MIDIPacketListInit(list()), 0, size, data.data());
    EXPECT_EQ(packet != nullptr, fits);
    EXPECT_EQ(list()->numPackets, fits ? 1u : 0u);
    if (fits) {
        const std::uint8_t* bytes = packet->data; // a packet's bytes run past its declared array
        EXPECT_EQ(std::vector(bytes, bytes + packet->length), data);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PacketSize,
                         ::testing::Values(Fit{0, true}, Fit{300, true}, Fit{room, true},
                                           Fit{room + 1, false}, Fit{1024, false}));

TEST_F(MIDIPacketListTest, PacketsAddedUntilFullStayAlignedInsideTheBuffer) {
    const std::uint8_t note[] = {0x90, 0x3C, 0x64};
    MIDIPacket* packet = MIDIPacketListInit(list());
    while (MIDIPacket* next = MIDIPacketListAdd(list(), sizeof buffer, packet, 0, sizeof note, note)) {
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(next) % alignof(MIDIPacket), 0u);
        packet = next;
    }
    EXPECT_GT(list()->numPackets, 50u);
    EXPECT_LE(packet->data + sizeof note, buffer + sizeof buffer);
}

TEST_F(MIDIPacketListTest, NullArgumentsAndPacketsLongerThanTheLengthFieldGiveNull) {
    const std::uint8_t note[] = {0x90, 0x3C, 0x64};
    MIDIPacket* packet = MIDIPacketListInit(list());
    EXPECT_EQ(MIDIPacketListInit(nullptr), nullptr);
    EXPECT_EQ(MIDIPacketListAdd(nullptr, sizeof buffer, packet, 0, 3, note), nullptr);
    EXPECT_EQ(MIDIPacketListAdd(list(), sizeof buffer, nullptr, 0, 3, note), nullptr);
    EXPECT_EQ(MIDIPacketListAdd(list(), sizeof buffer, packet, 0, 3, nullptr), nullptr);
    EXPECT_EQ(MIDIPacketListAdd(list(), 2, packet, 0, 0, note), nullptr);
    EXPECT_EQ(list()->numPackets, 0u);

    std::vector<std::uint8_t> storage(200000), data(65536);
    auto* large = reinterpret_cast<MIDIPacketList*>(storage.data());
    MIDIPacket* first = MIDIPacketListInit(large);
    EXPECT_EQ(MIDIPacketListAdd(large, storage.size(), first, 0, data.size(), data.data()), nullptr);
    EXPECT_NE(MIDIPacketListAdd(large, storage.size(), first, 0, data.size() - 1, data.data()), nullptr);
}

} // namespace
