// Construction, the 300 ms start decision, the heartbeat timer's pacing, render resources and
// construction failures.

#include <gmock/gmock.h>

#include "MonitorTestBench.h"

namespace vantrel::monitor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class LifecycleTest : public MonitorTestBench {};

TEST_F(LifecycleTest, NewInstanceLogsLoadedAtOnceAndAnnouncesItselfAt300ms) {
    addDestination();
    const auto unit = createUnit();
    const std::string uid = std::to_string(unit->uniqueID());
    const auto loaded = sim.log().records();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(platform::describe(loaded[0]),
              "log com.marlek.Vantrel/AudioUnit error 🔌 Plugin 3.7.5 loaded, uid=" + uid +
                  " (warte auf fullState)");

    advanceTo(ms(299));
    EXPECT_EQ(sendCount(), 0u);
    advanceTo(ms(300));
    EXPECT_THAT(
        timedMonitorLog(),
        ElementsAre(
            std::pair{ms(0), "Plugin 3.7.5 loaded, uid=" + uid + " (warte auf fullState)"},
            std::pair{ms(300),
                      "⏱️ Kein fullState nach 300ms → neue Instanz, Heartbeat mit uid=" + uid}));
    ASSERT_EQ(heartbeatTimes(), std::vector{ms(300)});
    EXPECT_EQ(received[0].message.uid, unit->uniqueID());
}

TEST_F(LifecycleTest, TimerHeartbeatFollowsHundredTicksFromTheFirstAtHalfASecond) {
    addDestination();
    const auto unit = createUnit();
    advanceTo(ms(1489));
    EXPECT_EQ(heartbeatTimes(), std::vector{ms(300)});
    advanceTo(ms(3600));
    EXPECT_EQ(heartbeatTimes(), (std::vector{ms(300), ms(1490), ms(2490), ms(3490)}));
    for (const ReceivedMessage& heartbeat : messages(Kind::heartbeat))
        EXPECT_EQ(heartbeat.message.uid, unit->uniqueID());
}

TEST_F(LifecycleTest, IdentitiesAreRandomAndNeverZero) {
    addDestination();
    const auto first = createUnit();
    const auto second = createUnit();
    EXPECT_NE(first->uniqueID(), 0u);
    EXPECT_NE(second->uniqueID(), 0u);
    EXPECT_NE(first->uniqueID(), second->uniqueID());
}

TEST_F(LifecycleTest, RestoreBeforeTheDecisionAnnouncesOnlyTheRestoredIdentity) {
    addDestination();
    const auto unit = createUnit();
    const std::uint32_t random = unit->uniqueID();
    advanceTo(ms(120));
    unit->setFullState(platform::Dictionary{{"qvUniqueID", 0x12345678u}});
    EXPECT_EQ(heartbeatTimes(), std::vector{ms(120)});

    advanceTo(ms(2500));
    EXPECT_EQ(heartbeatTimes(), (std::vector{ms(120), ms(1490), ms(2490)}));
    for (const ReceivedMessage& message : received)
        EXPECT_EQ(message.message.uid, 0x12345678u);
    EXPECT_THAT(monitorLog(),
                ElementsAre("Plugin 3.7.5 loaded, uid=" + std::to_string(random) + " (warte auf fullState)",
                            "fullState restore: uid=305419896, connected=false, track='') → "
                            "Heartbeat sofort aktiv"));
}

TEST_F(LifecycleTest, RestoreAfterTheDecisionReplacesTheIdentityAndAnnouncesItAtOnce) {
    addDestination();
    const auto unit = createRenderingUnit();
    const auto block = unit->internalRenderBlock();
    unit->setFullState(platform::Dictionary{{"qvConnected", true}});
    advanceTo(ms(700));
    unit->setFullState(platform::Dictionary{{"qvUniqueID", 0x0FFFFFFFu}});
    EXPECT_EQ(unit->uniqueID(), 0x0FFFFFFFu);
    ASSERT_EQ(heartbeatTimes(), (std::vector{ms(300), ms(700)}));
    EXPECT_EQ(received.back().message.uid, 0x0FFFFFFFu);

    // Reports queued from now on carry the new tag.
    EventList events;
    events.midi({0xB0, 0x07, 0x64});
    render(block, events.head());
    advanceTo(ms(1500));
    const auto reports = messages(Kind::eventReport);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].message.uid, 0x0FFFFFFFu);
    EXPECT_EQ(messages(Kind::heartbeat).back().message.uid, 0x0FFFFFFFu);
}

TEST_F(LifecycleTest, ZeroIdentityInTheSavedStateLeavesTheInstanceNew) {
    addDestination();
    const auto unit = createUnit();
    const std::uint32_t random = unit->uniqueID();
    unit->setFullState(platform::Dictionary{{"qvUniqueID", 0}});
    EXPECT_EQ(sendCount(), 0u);
    advanceTo(ms(300));
    EXPECT_EQ(unit->uniqueID(), random);
    EXPECT_EQ(monitorLog().back(), "⏱️ Kein fullState nach 300ms → neue Instanz, Heartbeat mit uid=" +
                                       std::to_string(random));
    EXPECT_EQ(heartbeatTimes(), std::vector{ms(300)});
}

TEST_F(LifecycleTest, FailedConstructionReachesTheHostAndLeavesNothingBehind) {
    for (std::atomic<bool>* fault :
         {&sim.audioUnitFaults().failNextBaseConstruction, &sim.audioUnitFaults().failNextBusCreation}) {
        const platform::MIDIObjectRef newest = sim.midi().newestObject();
        *fault = true;
        EXPECT_THROW(createUnit(), platform::PlatformError);
        EXPECT_EQ(sim.midi().newestObject(), newest);
    }
    advanceTo(ms(2000));
    EXPECT_THAT(sim.log().records(), IsEmpty());
    EXPECT_EQ(sim.executor().pendingCount(), 0u);
}

TEST_F(LifecycleTest, RenderResourcesFetchTheHostsMIDIOutputEachTime) {
    const auto unit = createRenderingUnit();
    const auto block = unit->internalRenderBlock();
    EventList events;
    events.midi({0x90, 0x3C, 0x64}, 17, 2);

    unit->deallocateRenderResources();
    render(block, events.head());
    EXPECT_THAT(passed, IsEmpty());

    std::vector<PassedEvent> second;
    unit->setMIDIOutputEventBlock([&second](platform::AUEventSampleTime time, std::uint8_t cable,
                                            platform::NSInteger length, const std::uint8_t* bytes) {
        second.push_back({time, cable, Bytes(bytes, bytes + length)});
        return 0;
    });
    sim.audioUnitFaults().failNextAllocate = true;
    EXPECT_THROW(unit->allocateRenderResources(), platform::PlatformError);
    render(block, events.head());
    EXPECT_THAT(second, IsEmpty());

    unit->allocateRenderResources();
    render(block, events.head());
    EXPECT_THAT(second, ElementsAre(PassedEvent{17, 2, {0x90, 0x3C, 0x64}}));
    EXPECT_THAT(passed, IsEmpty());
}

TEST_F(LifecycleTest, WithoutAHostMIDIOutputNothingPassesButTrackingAndReportingGoOn) {
    addDestination();
    const auto unit = createUnit();
    unit->allocateRenderResources();
    connect(*unit);
    EventList events;
    events.midi({0xB0, 0x07, 0x64});
    EXPECT_EQ(render(unit->internalRenderBlock(), events.head()), platform::noErr);
    advanceTo(ms(510));
    EXPECT_EQ(unit->monitorSnapshot().monitorCCValues, (std::map<int, int>{{7, 100}}));
    EXPECT_THAT(reportedEvents(), ElementsAre(Bytes{0xB0, 0x07, 0x64}));
}

TEST_F(LifecycleTest, EachRenderBlockReadIsLoggedWithTheLinkHandles) {
    const platform::MIDIEndpointRef destination = addDestination();
    const auto unit = createUnit();
    const platform::MIDIPortRef port = sim.midi().newestObject();
    unit->internalRenderBlock();
    unit->internalRenderBlock();
    const std::string line =
        "internalRenderBlock created, port=" + std::to_string(port) + " dest=" + std::to_string(destination);
    EXPECT_THAT(monitorLog(), ElementsAre(::testing::StartsWith("Plugin 3.7.5 loaded"), line, line));
    EXPECT_EQ(sim.midi().objectName(port), "Vantrel Out");
    EXPECT_EQ(sim.midi().objectName(sim.midi().clientOfPort(port)), "Vantrel");
}

} // namespace
} // namespace vantrel::monitor::test
