// The link to the receiver's destination: where connect requests go and what a failed one leaves,
// which ticks count towards the next Heartbeat while the link is lost and found again, and
// SafeMIDISend.

#include <gmock/gmock.h>

#include "MonitorTestBench.h"
#include "monitor/common/SafeMIDISend.h"
#include "protocol/WireSender.h"

namespace vantrel::monitor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

class ReceiverLinkTest : public MonitorTestBench {
protected:
    // Monitor lines after the "loaded" and 300 ms lines.
    std::vector<std::string> laterLog() const {
        auto lines = monitorLog();
        std::erase_if(lines, [](const std::string& line) {
            return line.starts_with("Plugin 3.7.5 loaded") || line.starts_with("⏱️ Kein fullState");
        });
        return lines;
    }
};

TEST_F(ReceiverLinkTest, WithTheReceiverGoneNothingIsQueuedAndTheCountGoesOnWhenItReturns) {
    receiver.up();
    const auto unit = createRenderingUnit();
    connect(*unit);
    advanceTo(ms(1600));
    receiver.down();
    advanceTo(ms(1605));
    EventList events;
    events.midi({0xB0, 0x07, 0x01});
    render(unit->internalRenderBlock(), events.head());
    advanceTo(ms(4000));
    EXPECT_THAT(laterLog(), ElementsAre(StartsWith("✅ Plugin verbunden"), "⚠️ msgSetupChanged",
                                        StartsWith("internalRenderBlock created"),
                                        "🔍 Suche neue Destination...", "❌ Keine Destination gefunden"));

    // Found by the next tick; the count goes on from the 11 ticks (1.50 s to 1.60 s) before.
    receiver.up();
    advanceTo(ms(5500));
    EXPECT_EQ(heartbeatTimes(), (std::vector{ms(300), ms(1490), ms(4890)}));
    EXPECT_THAT(messages(Kind::eventReport), IsEmpty());
}

TEST_F(ReceiverLinkTest, TicksWithoutALinkAreNotCounted) {
    const auto unit = createUnit();
    advanceTo(ms(1005));
    receiver.up();
    advanceTo(ms(2500));
    // Absent until 1.005 s, found at the 1.01 s tick, which is the first one counted.
    EXPECT_EQ(heartbeatTimes(), std::vector{ms(2000)});
}

TEST_F(ReceiverLinkTest, TheCountResumesWhereItStoppedAfterAnOutage) {
    receiver.up();
    const auto unit = createUnit();
    advanceTo(ms(1745)); // 25 ticks counted since the last Heartbeat
    sim.midi().failNextSends(1);
    unit->sendConnectRequest(1);
    sim.midi().setUniqueIDUnreadable(receiver.destination(), true);
    advanceTo(ms(1895)); // the ticks from 1.75 s to 1.89 s find nothing
    sim.midi().setUniqueIDUnreadable(receiver.destination(), false);
    advanceTo(ms(2700));
    EXPECT_EQ(heartbeatTimes(), (std::vector{ms(300), ms(1490), ms(2640)}));
    EXPECT_THAT(laterLog(), ElementsAre("Connect request failed (err=-10838), will retry"));
}

TEST_F(ReceiverLinkTest, ARequestLooksForTheDestinationWhenNoneIsKnown) {
    const auto unit = createUnit();
    receiver.up(); // its setup notification has not been delivered yet
    unit->sendConnectRequest(1);
    EXPECT_EQ(messages(Kind::connectRequest).size(), 1u);
}

TEST_F(ReceiverLinkTest, ADestinationThatNoLongerCarriesTheReceiversIdentityGetsNoRequest) {
    receiver.up();
    const auto unit = createUnit();
    platform::MIDIObjectSetIntegerProperty(receiver.destination(), platform::kMIDIPropertyUniqueID,
                                           0x11111111);
    unit->sendConnectRequest(1);
    sim.midi().setUniqueIDUnreadable(receiver.destination(), true);
    unit->sendConnectRequest(2);
    EXPECT_THAT(sent, IsEmpty());
    EXPECT_THAT(laterLog(), ElementsAre("⚠️ sendConnectRequest: keine Destination",
                                        "⚠️ sendConnectRequest: keine Destination"));
    // The handle stays: the immediate Heartbeat still goes there.
    advanceTo(ms(300));
    EXPECT_EQ(heartbeatTimes(), std::vector{ms(300)});
}

TEST_F(ReceiverLinkTest, AFailedRequestForgetsTheDestinationAndIsNotRepeated) {
    receiver.up();
    const auto unit = createUnit();
    sim.midi().failNextSends(1, platform::kMIDIUnknownError);
    unit->sendConnectRequest(2);
    EXPECT_THAT(laterLog(), ElementsAre("Connect request failed (err=-10845), will retry"));
    advanceTo(ms(1500));
    EXPECT_THAT(messages(Kind::disconnectRequest), IsEmpty());
    // Found again silently by the first tick; the 300 ms Heartbeat had no destination to go to.
    EXPECT_EQ(heartbeatTimes(), std::vector{ms(1490)});
}

// The platform's exception becoming -1 with its log line, and a failed status passing through
// unlogged, show in the link-loss trace; any other exception is not SafeMIDISend's to swallow.
TEST_F(MonitorTestBench, SafeMIDISendLetsOtherExceptionsThrough) {
    receiver.up();
    platform::MIDIClientRef client = 0;
    platform::MIDIPortRef port = 0;
    platform::MIDIClientCreateWithBlock("Test", &client, {});
    platform::MIDIOutputPortCreate(client, "Test Out", &port);
    sim.midi().setSendObserver(
        [](const platform::MIDISendRecord&) { throw std::logic_error("not the platform's"); });
    EXPECT_THROW(protocol::sendMessage(port, receiver.destination(), protocol::makeMonitorMessage(1, 3),
                                       SafeMIDISend),
                 std::logic_error);
    EXPECT_THAT(systemLog(), IsEmpty());
}

} // namespace
} // namespace vantrel::monitor::test
