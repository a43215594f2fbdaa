#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "MIDITestSupport.h"
#include "rtguard/RealtimeGuard.h"

using namespace midi_test;

namespace {

constexpr std::int32_t kvrt = 0x4B565254;

class MIDIServiceTest : public ::testing::Test {
protected:
    SimulatedPlatform sim;
    RecordingClient owner{"receiver"};
};

std::vector<MIDIEndpointRef> enumerate() {
    std::vector<MIDIEndpointRef> all;
    for (ItemCount i = 0; i < MIDIGetNumberOfDestinations(); ++i)
        all.push_back(MIDIGetDestination(i));
    return all;
}

TEST_F(MIDIServiceTest, DestinationsEnumerateInCreationOrderAndANewOneGoesLast) {
    Receiver a(owner.ref, "a"), b(owner.ref, "b"), c(owner.ref, "c");
    EXPECT_EQ(enumerate(), (std::vector{a.endpoint, b.endpoint, c.endpoint}));

    ASSERT_EQ(MIDIEndpointDispose(b.endpoint), noErr);
    Receiver d(owner.ref, "d");
    EXPECT_EQ(enumerate(), (std::vector{a.endpoint, c.endpoint, d.endpoint}));
    EXPECT_EQ(MIDIGetDestination(3), 0u);
}

TEST_F(MIDIServiceTest, HandlesAreNeverReused) {
    Receiver a(owner.ref, "a");
    ASSERT_EQ(MIDIEndpointDispose(a.endpoint), noErr);
    MIDIPortRef port = 0;
    ASSERT_EQ(MIDIOutputPortCreate(owner.ref, "out", &port), noErr);
    EXPECT_GT(port, a.endpoint);
    EXPECT_EQ(sim.midi().newestObject(), port);
}

TEST_F(MIDIServiceTest, UniqueIDReadsWhatWasSetAndFreshIDsAreNeverKVRT) {
    Receiver a(owner.ref, "a"), b(owner.ref, "b");
    std::int32_t id = 0;
    ASSERT_EQ(MIDIObjectGetIntegerProperty(a.endpoint, kMIDIPropertyUniqueID, &id), noErr);
    EXPECT_NE(id, 0);
    EXPECT_NE(id, kvrt);

    // Two destinations may carry one ID; enumeration order decides who is found first.
    ASSERT_EQ(MIDIObjectSetIntegerProperty(a.endpoint, kMIDIPropertyUniqueID, kvrt), noErr);
    ASSERT_EQ(MIDIObjectSetIntegerProperty(b.endpoint, kMIDIPropertyUniqueID, kvrt), noErr);
    ASSERT_EQ(MIDIObjectGetIntegerProperty(b.endpoint, kMIDIPropertyUniqueID, &id), noErr);
    EXPECT_EQ(id, kvrt);
}

TEST_F(MIDIServiceTest, AnUnreadableUniqueIDFailsAndLeavesTheValueAlone) {
    Receiver a(owner.ref, "a");
    ASSERT_EQ(MIDIObjectSetIntegerProperty(a.endpoint, kMIDIPropertyUniqueID, kvrt), noErr);
    sim.midi().setUniqueIDUnreadable(a.endpoint, true);
    std::int32_t id = 0;
    EXPECT_EQ(MIDIObjectGetIntegerProperty(a.endpoint, kMIDIPropertyUniqueID, &id), kMIDIUnknownProperty);
    EXPECT_EQ(id, 0);

    sim.midi().setUniqueIDUnreadable(a.endpoint, false);
    EXPECT_EQ(MIDIObjectGetIntegerProperty(a.endpoint, kMIDIPropertyUniqueID, &id), noErr);
    EXPECT_EQ(id, kvrt);
}

TEST_F(MIDIServiceTest, PropertiesOfWhatIsNotADestinationFail) {
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
}

TEST_F(MIDIServiceTest, EveryClientHearsOfADestinationComingAndGoingOnlyWhenTheQueueRuns) {
    RecordingClient other;
    Receiver a(owner.ref, "a");
    EXPECT_TRUE(owner.seen().empty());
    EXPECT_TRUE(other.seen().empty());

    sim.runDue();
    const std::vector<Seen> added{{kMIDIMsgObjectAdded, a.endpoint}, {kMIDIMsgSetupChanged, 0}};
    EXPECT_EQ(owner.seen(), added);
    EXPECT_EQ(other.seen(), added);

    ASSERT_EQ(MIDIEndpointDispose(a.endpoint), noErr);
    EXPECT_EQ(other.seen().size(), 2u);
    sim.runDue();
    EXPECT_EQ(other.seen(),
              (std::vector<Seen>{
                  added[0], added[1], {kMIDIMsgObjectRemoved, a.endpoint}, {kMIDIMsgSetupChanged, 0}}));
}

TEST_F(MIDIServiceTest, PostedMessagesReachEveryClient) {
    RecordingClient other;
    sim.midi().postNotification(kMIDIMsgSetupChanged);
    sim.midi().postNotification(42);
    sim.runDue();
    const std::vector<Seen> expected{{kMIDIMsgSetupChanged, 0}, {42, 0}};
    EXPECT_EQ(owner.seen(), expected);
    EXPECT_EQ(other.seen(), expected);
}

TEST_F(MIDIServiceTest, AClientDisposedBeforeDeliveryGetsNothing) {
    RecordingClient leaving;
    Receiver a(owner.ref, "a");
    ASSERT_EQ(MIDIClientDispose(leaving.ref), noErr);
    sim.midi().postNotification(kMIDIMsgSetupChanged);
    sim.runDue();
    EXPECT_TRUE(leaving.seen().empty());
    EXPECT_EQ(owner.seen().size(), 3u);
}

TEST_F(MIDIServiceTest, DisposingAClientTakesItsPortsAndDestinationsAlong) {
    RecordingClient watcher;
    RecordingClient leaving;
    Receiver theirs(leaving.ref, "theirs");
    Receiver mine(owner.ref, "mine");
    MIDIPortRef port = 0;
    ASSERT_EQ(MIDIOutputPortCreate(leaving.ref, "out", &port), noErr);
    sim.runDue();

    ASSERT_EQ(MIDIClientDispose(leaving.ref), noErr);
    EXPECT_EQ(enumerate(), std::vector{mine.endpoint});
    EXPECT_EQ(MIDIPortDispose(port), kMIDIInvalidPort);
    sim.runDue();
    EXPECT_EQ(watcher.seen().back(), (Seen{kMIDIMsgSetupChanged, 0}));
    EXPECT_EQ(watcher.seen()[watcher.seen().size() - 2], (Seen{kMIDIMsgObjectRemoved, theirs.endpoint}));
}

TEST_F(MIDIServiceTest, DisposingTwiceOrWhatNeverExistedFails) {
    Receiver a(owner.ref, "a");
    MIDIPortRef port = 0;
    ASSERT_EQ(MIDIOutputPortCreate(owner.ref, "out", &port), noErr);
    EXPECT_EQ(MIDIEndpointDispose(port), kMIDIObjectNotFound);
    EXPECT_EQ(MIDIPortDispose(a.endpoint), kMIDIInvalidPort);
    EXPECT_EQ(MIDIPortDispose(port), noErr);
    EXPECT_EQ(MIDIPortDispose(port), kMIDIInvalidPort);
    EXPECT_EQ(MIDIClientDispose(owner.ref), noErr);
    EXPECT_EQ(MIDIClientDispose(owner.ref), kMIDIInvalidClient);
    EXPECT_EQ(MIDIEndpointDispose(a.endpoint), kMIDIObjectNotFound);
}

TEST_F(MIDIServiceTest, CreationNeedsALiveClientAndAPlaceForTheHandle) {
    MIDIPortRef port = 77;
    EXPECT_EQ(MIDIOutputPortCreate(9999, "out", &port), kMIDIInvalidClient);
    EXPECT_EQ(port, 0u);
    EXPECT_EQ(MIDIOutputPortCreate(owner.ref, "out", nullptr), paramErr);
    MIDIEndpointRef endpoint = 0;
    EXPECT_EQ(MIDIDestinationCreateWithBlock(9999, "d", &endpoint, nullptr), kMIDIInvalidClient);
    EXPECT_EQ(MIDIClientCreateWithBlock("c", nullptr, nullptr), paramErr);
    EXPECT_EQ(MIDIGetNumberOfDestinations(), 0u);
}

class MIDISendTest : public MIDIServiceTest {
protected:
    MIDISendTest() { EXPECT_EQ(MIDIOutputPortCreate(sender.ref, "Vantrel Out", &port), noErr); }

    RecordingClient sender{"Vantrel"};
    Receiver receiver{owner.ref, "receiver"};
    MIDIPortRef port = 0;
    OneMessage message{{0xF0, 0x7D, 0x01, 0xF7}};
};

TEST_F(MIDISendTest, DeliversInsideTheCallAndShowsTheSendToTheObserver) {
    std::vector<MIDISendRecord> observed;
    std::vector<std::uint8_t> observedBytes;
    sim.midi().setSendObserver([&](const MIDISendRecord& record) {
        observed.push_back(record);
        observedBytes = record.bytes();
        EXPECT_TRUE(receiver.received().empty()) << "the observer sees the send before the destination";
    });
    ASSERT_EQ(MIDISend(port, receiver.endpoint, &message.list()), noErr);
    EXPECT_EQ(receiver.received(), (std::vector<std::uint8_t>{0xF0, 0x7D, 0x01, 0xF7}));
    ASSERT_EQ(observed.size(), 1u);
    EXPECT_EQ(observed[0].port, port);
    EXPECT_EQ(observed[0].client, sender.ref);
    EXPECT_EQ(observed[0].destination, receiver.endpoint);
    EXPECT_EQ(observedBytes, receiver.received());
    EXPECT_EQ(sim.midi().objectName(observed[0].destination), "receiver");
    EXPECT_EQ(sim.midi().clientOfPort(port), sender.ref);
}

TEST_F(MIDISendTest, SendingNeedsALivePortAndDestination) {
    EXPECT_EQ(MIDISend(port, receiver.endpoint, nullptr), paramErr);
    EXPECT_EQ(MIDISend(port, 0, &message.list()), kMIDIUnknownEndpoint);
    EXPECT_EQ(MIDISend(port, port, &message.list()), kMIDIUnknownEndpoint);
    EXPECT_EQ(MIDISend(0, receiver.endpoint, &message.list()), kMIDIInvalidPort);
    ASSERT_EQ(MIDIEndpointDispose(receiver.endpoint), noErr);
    EXPECT_EQ(MIDISend(port, receiver.endpoint, &message.list()), kMIDIUnknownEndpoint);
    ASSERT_EQ(MIDIPortDispose(port), noErr);
    EXPECT_EQ(MIDISend(port, receiver.endpoint, &message.list()), kMIDIInvalidPort);
    EXPECT_TRUE(receiver.received().empty());
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
    EXPECT_EQ(MIDISend(port, self, &message.list()), noErr);
    EXPECT_EQ(MIDISend(port, self, &message.list()), kMIDIUnknownEndpoint);
    EXPECT_EQ(calls, 1);
}

TEST_F(MIDISendTest, NotifyBlocksMayCallBackIntoTheService) {
    MIDIClientRef client = 0;
    ItemCount seenCount = 0;
    ASSERT_EQ(
        MIDIClientCreateWithBlock(
            "searcher", &client, [&](const MIDINotification&) { seenCount = MIDIGetNumberOfDestinations(); }),
        noErr);
    sim.midi().postNotification(kMIDIMsgSetupChanged);
    sim.runDue();
    EXPECT_EQ(seenCount, 1u);
}

TEST_F(MIDISendTest, ASendNeitherAllocatesNorFrees) {
    if (!platform_test::RealtimeGuard::available()) GTEST_SKIP() << "allocator is replaced by the sanitizer";
    int calls = 0;
    MIDIEndpointRef quiet = 0;
    ASSERT_EQ(MIDIDestinationCreateWithBlock(owner.ref, "quiet", &quiet,
                                             [&calls](const MIDIPacketList*, void*) { ++calls; }),
              noErr);
    long allocations = -1, frees = -1;
    OSStatus status = -1;
    {
        platform_test::RealtimeGuard guard;
        status = MIDISend(port, quiet, &message.list());
        allocations = guard.allocations();
        frees = guard.frees();
    }
    EXPECT_EQ(status, noErr);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(frees, 0);
}

TEST_F(MIDISendTest, SendsRaceSafelyWithDestinationsComingAndGoing) {
    std::atomic<bool> stop{false};
    std::thread sendingThread([&] {
        while (!stop.load()) {
            for (ItemCount i = 0; i < MIDIGetNumberOfDestinations(); ++i) {
                MIDISend(port, MIDIGetDestination(i), &message.list());
            }
        }
    });
    for (int round = 0; round < 200; ++round) {
        MIDIEndpointRef endpoint = 0;
        ASSERT_EQ(MIDIDestinationCreateWithBlock(owner.ref, "churn", &endpoint,
                                                 [](const MIDIPacketList*, void*) {}),
                  noErr);
        ASSERT_EQ(MIDIEndpointDispose(endpoint), noErr);
    }
    stop = true;
    sendingThread.join();
    EXPECT_EQ(enumerate(), std::vector{receiver.endpoint});
}

} // namespace
