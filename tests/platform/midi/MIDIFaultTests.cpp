#include <gtest/gtest.h>

#include "MIDITestSupport.h"

using namespace midi_test;

namespace {

class MIDIFaultTest : public ::testing::Test {
protected:
    MIDIFaultTest() { EXPECT_EQ(MIDIOutputPortCreate(client.ref, "out", &port), noErr); }

    OSStatus send() { return MIDISend(port, receiver.endpoint, &message.list()); }

    SimulatedPlatform sim;
    RecordingClient client;
    Receiver receiver{client.ref, "receiver"};
    MIDIPortRef port = 0;
    OneMessage message{{0x90, 0x3C, 0x64}};
};

TEST_F(MIDIFaultTest, FailedSendsReturnTheStatusDeliverNothingAndThenStop) {
    int observed = 0;
    sim.midi().setSendObserver([&](const MIDISendRecord&) { ++observed; });
    sim.midi().failNextSends(2);
    EXPECT_EQ(send(), kMIDIMessageSendErr);
    EXPECT_EQ(send(), -10838);
    EXPECT_TRUE(receiver.received().empty());
    EXPECT_EQ(observed, 0);

    EXPECT_EQ(send(), noErr);
    EXPECT_EQ(receiver.received().size(), 3u);
    EXPECT_EQ(observed, 1);
}

TEST_F(MIDIFaultTest, AFailedSendCarriesTheChosenStatus) {
    sim.midi().failNextSends(1, -1234);
    EXPECT_EQ(send(), -1234);
}

TEST_F(MIDIFaultTest, RaisingSendsThrowThePlatformExceptionAndDeliverNothing) {
    sim.midi().throwNextSends(1);
    try {
        send();
        FAIL() << "the send did not raise";
    } catch (const PlatformException& exception) {
        EXPECT_EQ(exception.description(), "MIDISend raised");
    }
    EXPECT_TRUE(receiver.received().empty());
    EXPECT_EQ(send(), noErr);
}

TEST_F(MIDIFaultTest, ArmedFailuresComeBeforeArmedExceptions) {
    sim.midi().throwNextSends(1);
    sim.midi().failNextSends(1);
    EXPECT_EQ(send(), kMIDIMessageSendErr);
    EXPECT_THROW(send(), PlatformException);
    EXPECT_EQ(send(), noErr);
}

TEST_F(MIDIFaultTest, ZeroDisarms) {
    sim.midi().failNextSends(3);
    sim.midi().failNextSends(0);
    EXPECT_EQ(send(), noErr);
}

TEST_F(MIDIFaultTest, ClientCreationFailsOnceWithTheChosenStatus) {
    sim.midi().failNextClientCreate(-50);
    MIDIClientRef ref = 99;
    EXPECT_EQ(MIDIClientCreateWithBlock("Vantrel", &ref, nullptr), -50);
    EXPECT_EQ(ref, 0u);
    sim.midi().failNextClientCreate();
    EXPECT_EQ(MIDIClientCreateWithBlock("Vantrel", &ref, nullptr), MIDIService::defaultClientCreateFailure);
    EXPECT_EQ(MIDIClientCreateWithBlock("Vantrel", &ref, nullptr), noErr);
    EXPECT_NE(ref, 0u);
}

TEST_F(MIDIFaultTest, PortCreationFailsOnceWithTheChosenStatus) {
    sim.midi().failNextPortCreate();
    MIDIPortRef other = 99;
    EXPECT_EQ(MIDIOutputPortCreate(client.ref, "out", &other), MIDIService::defaultPortCreateFailure);
    EXPECT_EQ(other, 0u);
    EXPECT_EQ(MIDIOutputPortCreate(client.ref, "out", &other), noErr);
}

} // namespace
