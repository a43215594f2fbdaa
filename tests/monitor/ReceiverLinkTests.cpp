// The CoreMIDI link: finding the receiver's destination, losing and finding it again, failed
// sends, and SafeMIDISend.

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

TEST_F(ReceiverLinkTest, WithoutDestinationsNothingIsSentOrLogged) {
    addDestination(0x12345678); // someone else's
    std::vector<platform::MIDIEndpointRef> sentTo;
    sim.midi().setSendObserver(
        [&](const platform::MIDISendRecord& record) { sentTo.push_back(record.destination); });
    const auto unit = createUnit();
    advanceTo(ms(5000));
    unit->sendConnectRequest(1);
    EXPECT_THAT(sentTo, IsEmpty());
    EXPECT_THAT(laterLog(), ElementsAre("⚠️ sendConnectRequest: keine Destination"));
}

TEST_F(ReceiverLinkTest, TheLowerIndexWinsAmongTwoReceivers) {
    const platform::MIDIEndpointRef first = addDestination();
    addDestination();
    const auto unit = createUnit();
    advanceTo(ms(1500));
    ASSERT_EQ(heartbeatTimes().size(), 2u);
    for (const ReceivedMessage& message : received)
        EXPECT_EQ(message.destination, first);
}

TEST_F(ReceiverLinkTest, ADestinationWhoseIdentityCannotBeReadIsSkipped) {
    const platform::MIDIEndpointRef unreadable = addDestination();
    const platform::MIDIEndpointRef readable = addDestination();
    sim.midi().setUniqueIDUnreadable(unreadable, true);
    const auto unit = createUnit();
    advanceTo(ms(300));
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].destination, readable);
}

TEST_F(ReceiverLinkTest, SetupChangeWithTheReceiverPresentHealsWithinOneTickThenResearches) {
    const platform::MIDIEndpointRef destination = addDestination();
    const auto unit = createUnit();
    advanceTo(ms(2003));
    sim.midi().postNotification(platform::kMIDIMsgSetupChanged);
    advanceTo(ms(4000));
    EXPECT_THAT(
        timedMonitorLog(),
        ::testing::IsSupersetOf({std::pair{ms(2003), std::string("⚠️ msgSetupChanged")},
                                 std::pair{ms(2010), "🔄 Destination selbstheilend wiederhergestellt (dest=" +
                                                         std::to_string(destination) + ")"},
                                 std::pair{ms(3003), std::string("🔍 Suche neue Destination...")},
                                 std::pair{ms(3003), std::string("✅ Destination wiederhergestellt")}}));
    EXPECT_THAT(laterLog(), ElementsAre("⚠️ msgSetupChanged", StartsWith("🔄 Destination selbstheilend"),
                                        "🔍 Suche neue Destination...", "✅ Destination wiederhergestellt"));
    // The tick that healed was counted: the Heartbeat rhythm is unchanged.
    EXPECT_EQ(heartbeatTimes(), (std::vector{ms(300), ms(1490), ms(2490), ms(3490)}));
}

TEST_F(ReceiverLinkTest, SetupChangeWithTheReceiverGoneSearchesSilentlyAndReportsOnce) {
    const platform::MIDIEndpointRef destination = addDestination();
    const auto unit = createRenderingUnit();
    connect(*unit);
    advanceTo(ms(1600));
    platform::MIDIEndpointDispose(destination);
    advanceTo(ms(1605));
    // Nothing is queued while sending is off.
    EventList events;
    events.midi({0xB0, 0x07, 0x01});
    render(unit->internalRenderBlock(), events.head());
    advanceTo(ms(4000));
    EXPECT_EQ(heartbeatTimes(), (std::vector{ms(300), ms(1490)}));
    EXPECT_THAT(laterLog(), ElementsAre(StartsWith("✅ Plugin verbunden"), "⚠️ msgSetupChanged",
                                        StartsWith("internalRenderBlock created"),
                                        "🔍 Suche neue Destination...", "❌ Keine Destination gefunden"));

    // The receiver returns: found by the next tick, and the count goes on from the 11 ticks
    // (1.50 s to 1.60 s) counted before the outage.
    addDestination();
    advanceTo(ms(5500));
    EXPECT_EQ(heartbeatTimes(), (std::vector{ms(300), ms(1490), ms(4890)}));
    EXPECT_THAT(laterLog(), ::testing::Contains(StartsWith("🔄 Destination selbstheilend")));
    EXPECT_THAT(reportedEvents(), IsEmpty());
}

TEST_F(ReceiverLinkTest, OtherMIDINotificationsChangeNothing) {
    addDestination();
    const auto unit = createUnit();
    advanceTo(ms(1000));
    for (const std::int32_t messageID : {platform::kMIDIMsgObjectAdded, platform::kMIDIMsgObjectRemoved,
                                         platform::kMIDIMsgPropertyChanged, 0, 77})
        sim.midi().postNotification(messageID);
    advanceTo(ms(2500));
    EXPECT_THAT(laterLog(), IsEmpty());
    EXPECT_EQ(heartbeatTimes(), (std::vector{ms(300), ms(1490), ms(2490)}));
}

TEST_F(ReceiverLinkTest, TicksWithoutALinkAreNotCounted) {
    const auto unit = createUnit();
    advanceTo(ms(1005));
    const platform::MIDIEndpointRef destination = addDestination();
    advanceTo(ms(2500));
    // Absent until 1.005 s, found at the 1.01 s tick, which is the first one counted.
    EXPECT_EQ(heartbeatTimes(), std::vector{ms(2000)});
    EXPECT_THAT(laterLog(), ElementsAre("⚠️ msgSetupChanged",
                                        "🔄 Destination selbstheilend wiederhergestellt (dest=" +
                                            std::to_string(destination) + ")",
                                        "🔍 Suche neue Destination...", "✅ Destination wiederhergestellt"));
}

TEST_F(ReceiverLinkTest, AFailedHeartbeatForgetsTheDestinationAndRecoversSilently) {
    addDestination();
    const auto unit = createUnit();
    advanceTo(ms(1485));
    sim.midi().failNextSends(1);
    advanceTo(ms(2500));
    EXPECT_EQ(heartbeatTimes(), (std::vector{ms(300), ms(2490)}));
    EXPECT_THAT(laterLog(), ElementsAre("❌ Heartbeat send failed (err=-10838), dest reset"));
}

TEST_F(ReceiverLinkTest, TheCountResumesWhereItStoppedAfterAnOutage) {
    const platform::MIDIEndpointRef destination = addDestination();
    const auto unit = createUnit();
    advanceTo(ms(1745)); // 25 ticks counted since the last Heartbeat
    sim.midi().failNextSends(1);
    unit->sendConnectRequest(1);
    sim.midi().setUniqueIDUnreadable(destination, true);
    advanceTo(ms(1895)); // the ticks from 1.75 s to 1.89 s find nothing
    sim.midi().setUniqueIDUnreadable(destination, false);
    advanceTo(ms(2700));
    EXPECT_EQ(heartbeatTimes(), (std::vector{ms(300), ms(1490), ms(2640)}));
    EXPECT_THAT(laterLog(), ElementsAre("Connect request failed (err=-10838), will retry"));
}

TEST_F(ReceiverLinkTest, AnExceptionInsideTheSendIsAFailedSendWithItsOwnLine) {
    addDestination();
    const auto unit = createUnit();
    advanceTo(ms(1485));
    sim.midi().throwNextSends(1);
    advanceTo(ms(1500));
    EXPECT_THAT(systemLog(), ElementsAre("[Vantrel] SafeMIDISend caught exception: MIDISend raised"));
    EXPECT_THAT(laterLog(), ElementsAre("❌ Heartbeat send failed (err=-1), dest reset"));
}

TEST_F(ReceiverLinkTest, WithoutAClientOrPortTheInstanceNeverSends) {
    addDestination();
    sim.midi().failNextClientCreate();
    const auto withoutClient = createUnit();
    sim.midi().failNextPortCreate();
    const auto withoutPort = createUnit();
    advanceTo(ms(2000));
    withoutClient->sendConnectRequest(1);
    withoutPort->sendConnectRequest(1);
    EXPECT_EQ(sendCount(), 0u);
    EXPECT_THAT(laterLog(), ElementsAre("⚠️ sendConnectRequest: keine Destination",
                                        "⚠️ sendConnectRequest: keine Destination"));
}

class SafeMIDISendTest : public MonitorTestBench {};

TEST_F(SafeMIDISendTest, PassesResultsThroughAndTurnsOnlyThePlatformsExceptionIntoMinusOne) {
    const platform::MIDIEndpointRef destination = addDestination();
    platform::MIDIPortRef port = 0;
    platform::MIDIOutputPortCreate(receiverClient, "Test Out", &port);
    const auto send = [&] {
        return protocol::sendMessage(port, destination, protocol::makeMonitorMessage(1, 3), SafeMIDISend);
    };
    EXPECT_EQ(send(), platform::noErr);
    sim.midi().failNextSends(1, platform::kMIDIUnknownError);
    EXPECT_EQ(send(), platform::kMIDIUnknownError);
    EXPECT_THAT(systemLog(), IsEmpty());

    sim.midi().throwNextSends(1);
    EXPECT_EQ(send(), -1);
    EXPECT_THAT(systemLog(), ElementsAre("[Vantrel] SafeMIDISend caught exception: MIDISend raised"));

    sim.midi().setSendObserver(
        [](const platform::MIDISendRecord&) { throw std::logic_error("not the platform's"); });
    EXPECT_THROW(send(), std::logic_error);
    EXPECT_EQ(systemLog().size(), 1u);
}

} // namespace
} // namespace vantrel::monitor::test
