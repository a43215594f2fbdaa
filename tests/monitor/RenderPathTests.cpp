// The render path: pass-through, monitor values, change reports and the bounded queue.

#include <gmock/gmock.h>

#include "MonitorTestBench.h"

namespace vantrel::monitor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// A connected, rendering instance whose timer is ticking, with articulations on notes 24 and 25.
class RenderPathTest : public MonitorTestBench {
protected:
    void SetUp() override {
        addDestination();
        unit = createRenderingUnit();
        block = unit->internalRenderBlock();
        connect(*unit);
        post("com.marlek.vantrel.articulations",
             platform::Dictionary{{"names", {"Legato", "Staccato"}}, {"notes", {24, 25}}});
        advanceTo(ms(505));
        received.clear();
    }

    // One render call, then one tick of the timer, which sends what was queued.
    void renderAndTick(EventList& events) {
        EXPECT_EQ(render(block, events.head()), platform::noErr);
        sim.advance(ms(10));
    }
    void renderAndTick(const std::vector<Bytes>& messages) {
        EventList events;
        for (const Bytes& message : messages)
            events.midi(message);
        renderAndTick(events);
    }

    std::shared_ptr<VantrelExtensionAudioUnit> unit;
    platform::AUInternalRenderBlock block;
};

struct RenderCase {
    std::string name;
    std::vector<Bytes> events; // each 1 to 3 bytes, all passed through
    std::vector<Bytes> reports = {};
    std::map<int, int> ccValues = {};
    int lastNoteVelocity = 0;
    int activeArticulation = -1;
};

class RenderCaseTest : public RenderPathTest, public ::testing::WithParamInterface<RenderCase> {};

TEST_P(RenderCaseTest, PassesEveryEventThroughAndReportsOnlyWhatChanged) {
    EventList events;
    std::vector<PassedEvent> expectedPassed;
    for (std::size_t index = 0; index < GetParam().events.size(); ++index) {
        const PassedEvent event{static_cast<platform::AUEventSampleTime>(100 + index * 7),
                                static_cast<std::uint8_t>(index % 3), GetParam().events[index]};
        events.midi(event.bytes, event.sampleTime, event.cable);
        expectedPassed.push_back(event);
    }
    renderAndTick(events);

    EXPECT_EQ(passed, expectedPassed);
    EXPECT_EQ(reportedEvents(), GetParam().reports);
    for (const ReceivedMessage& report : messages(Kind::eventReport))
        EXPECT_EQ(report.message.uid, unit->uniqueID());
    const MonitorSnapshot snapshot = unit->monitorSnapshot();
    EXPECT_EQ(snapshot.monitorCCValues, GetParam().ccValues);
    EXPECT_EQ(snapshot.monitorLastNoteVelocity, GetParam().lastNoteVelocity);
    EXPECT_EQ(snapshot.monitorActiveArticulation, GetParam().activeArticulation);
}

INSTANTIATE_TEST_SUITE_P(
    Events, RenderCaseTest,
    ::testing::Values(
        RenderCase{"ControllerReportedOncePerValue",
                   {{0xB0, 0x07, 0x64}, {0xB0, 0x07, 0x64}, {0xB0, 0x07, 0x65}},
                   {{0xB0, 0x07, 0x64}, {0xB0, 0x07, 0x65}},
                   {{7, 0x65}}},
        RenderCase{"SameControllerOnTwoChannels",
                   {{0xB0, 0x07, 0x64}, {0xB1, 0x07, 0x50}},
                   {{0xB0, 0x07, 0x64}, {0xB1, 0x07, 0x50}},
                   {{7, 0x50}}},
        RenderCase{"PitchWheelComparesTheMSBOnly",
                   {{0xE0, 0x00, 0x40}, {0xE0, 0x7F, 0x40}, {0xE0, 0x7F, 0x41}},
                   {{0xE0, 0x00, 0x40}, {0xE0, 0x7F, 0x41}}},
        RenderCase{"PressureKeyedPerChannel",
                   {{0xD5, 0x30}, {0xD5, 0x30}, {0xD6, 0x30}},
                   {{0xD5, 0x30}, {0xD6, 0x30}}},
        RenderCase{"PressurePitchWheelAndTopControllerKeptApart",
                   {{0xD5, 0x30}, {0xE5, 0x00, 0x30}, {0xB5, 0x7F, 0x30}},
                   {{0xD5, 0x30}, {0xE5, 0x00, 0x30}, {0xB5, 0x7F, 0x30}},
                   {{0x7F, 0x30}}},
        RenderCase{"NoteOnWithVelocityZeroChangesNothing", {{0x90, 0x3C, 0x00}, {0x9F, 0x3C, 0x00}}, {}},
        RenderCase{"NoteOnRecordsItsVelocity", {{0x93, 0x3C, 0x50}}, {}, {}, 0x50},
        RenderCase{
            "ArticulationNoteKeepsTheVelocity", {{0x90, 0x3C, 0x50}, {0x92, 0x19, 0x7F}}, {}, {}, 0x50, 25},
        RenderCase{"ChannelSixteenNoteOnReportedEveryTime",
                   {{0x9F, 0x3C, 0x64}, {0x9F, 0x3C, 0x64}},
                   {{0x9F, 0x3C, 0x64}, {0x9F, 0x3C, 0x64}},
                   {},
                   0x64},
        RenderCase{
            "ChannelSixteenArticulationNoteReported", {{0x9F, 0x18, 0x64}}, {{0x9F, 0x18, 0x64}}, {}, 0, 24},
        RenderCase{"TwoByteControllerShowsZero", {{0xB2, 0x0B}}, {{0xB2, 0x0B}}, {{0x0B, 0}}},
        RenderCase{"OtherChannelMessagesOnlyPass",
                   {{0x80, 0x3C, 0x40}, {0xA0, 0x3C, 0x10}, {0xC0, 0x05}, {0xF8}},
                   {}},
        RenderCase{"ControllerByteAboveSevenBitsIsKeptAsGiven",
                   {{0xB0, 0x85, 0x10}},
                   {{0xB0, 0x85, 0x10}},
                   {{0x85, 0x10}}}),
    [](const auto& info) { return info.param.name; });

TEST_F(RenderPathTest, ControlChangeCarriesItsOwnTimeAndCableAndTheInstanceTag) {
    EventList events;
    events.midi({0xB0, 0x07, 0x64}, 4711, 5);
    renderAndTick(events);
    EXPECT_THAT(passed, ElementsAre(PassedEvent{4711, 5, {0xB0, 0x07, 0x64}}));
    const auto reports = messages(Kind::eventReport);
    ASSERT_EQ(reports.size(), 1u);
    const protocol::InstanceTag tag = protocol::makeInstanceTag(unit->uniqueID());
    Bytes wire(tag.begin(), tag.end());
    wire.insert(wire.end(), {0xB0, 0x07, 0x64});
    EXPECT_EQ(reports[0].message.bytes, wire);
}

TEST_F(RenderPathTest, WithoutArticulationsEveryNoteOnSetsTheVelocity) {
    post("com.marlek.vantrel.articulations",
         platform::Dictionary{{"names", {"None"}}, {"notes", platform::Value::array()}});
    renderAndTick({{0x90, 0x18, 0x21}, {0x90, 0x19, 0x22}});
    EXPECT_EQ(unit->monitorSnapshot().monitorLastNoteVelocity, 0x22);
    EXPECT_EQ(unit->monitorSnapshot().monitorActiveArticulation, -1);
}

TEST_F(RenderPathTest, WhileDisconnectedNothingIsQueuedAndNothingIsRemembered) {
    renderAndTick({{0xB0, 0x07, 0x64}});
    post("com.marlek.vantrel.disconnect", platform::Dictionary{{"uid", unit->uniqueID()}});
    renderAndTick({{0xB0, 0x07, 0x70}, {0xB0, 0x08, 0x01}, {0x9F, 0x3C, 0x64}});
    EXPECT_EQ(unit->monitorSnapshot().monitorCCValues, (std::map<int, int>{{7, 0x70}, {8, 0x01}}));
    connect(*unit);
    // 7 was last reported at 0x64; 8 never was.
    renderAndTick({{0xB0, 0x07, 0x64}, {0xB0, 0x08, 0x01}, {0xB0, 0x07, 0x70}});
    EXPECT_EQ(reportedEvents(),
              (std::vector<Bytes>{{0xB0, 0x07, 0x64}, {0xB0, 0x08, 0x01}, {0xB0, 0x07, 0x70}}));
    EXPECT_EQ(passed.size(), 7u);
}

TEST_F(RenderPathTest, WhileSendingIsOffNothingIsQueuedUntilTheLinkHeals) {
    sim.midi().postNotification(platform::kMIDIMsgSetupChanged);
    sim.runDue();
    EventList events;
    events.midi({0xB0, 0x07, 0x64});
    EXPECT_EQ(render(block, events.head()), platform::noErr);
    sim.advance(ms(10)); // this tick heals the link
    EXPECT_THAT(reportedEvents(), IsEmpty());
    renderAndTick({{0xB0, 0x07, 0x64}});
    EXPECT_THAT(reportedEvents(), ElementsAre(Bytes{0xB0, 0x07, 0x64}));
}

TEST_F(RenderPathTest, AtMost256ReportsWaitForATickInArrivalOrder) {
    std::vector<Bytes> changes;
    for (int value = 0; value < 128; ++value) {
        changes.push_back({0xB0, 0x01, static_cast<std::uint8_t>(value)});
        changes.push_back({0xB1, 0x02, static_cast<std::uint8_t>(value)});
    }
    for (int channel = 0; channel < 16; ++channel)
        changes.push_back({static_cast<std::uint8_t>(0xD0 | channel), 0x11});
    EventList events;
    for (const Bytes& change : changes)
        events.midi(change);
    EXPECT_EQ(render(block, events.head()), platform::noErr);
    EXPECT_EQ(passed.size(), changes.size());
    sim.advance(ms(10));
    EXPECT_THAT(reportedEvents(), ElementsAreArray(changes.begin(), changes.begin() + 256));

    // A dropped value counts as reported; a change after it is reported again.
    renderAndTick({{0xD0, 0x11}, {0xD1, 0x12}});
    EXPECT_EQ(reportedEvents().back(), (Bytes{0xD1, 0x12}));
    EXPECT_EQ(reportedEvents().size(), 257u);
}

TEST_F(RenderPathTest, EventsOfOtherTypesAndLengthsAreNotPassedOrReported) {
    EventList events;
    events.other(platform::AURenderEventParameter)
        .other(platform::AURenderEventParameterRamp)
        .midi({0xB0, 0x0C, 0x0C})
        .withType(platform::AURenderEventMIDISysEx) // channel-message bytes that must not be read
        .other(platform::AURenderEventMIDIEventList)
        .midi({0xB0, 0x09, 0x09})
        .midiWithLength(0, {0xB0, 0x0A, 0x0A})
        .midiWithLength(4, {0xB0, 0x0B, 0x0B})
        .midiWithLength(4, {0x90, 0x3C, 0x40});
    EXPECT_EQ(render(block, events.head()), platform::noErr);
    sim.advance(ms(10));
    EXPECT_THAT(passed, ElementsAre(PassedEvent{0, 0, {0xB0, 0x09, 0x09}}));
    EXPECT_THAT(reportedEvents(), ElementsAre(Bytes{0xB0, 0x09, 0x09}));
    // Longer than three bytes still shows in the monitor; empty and SysEx do not.
    EXPECT_EQ(unit->monitorSnapshot().monitorCCValues, (std::map<int, int>{{9, 9}, {0x0B, 0x0B}}));
    EXPECT_EQ(unit->monitorSnapshot().monitorLastNoteVelocity, 0);
}

TEST_F(RenderPathTest, AnEmptyListDoesNothing) {
    EXPECT_EQ(render(block, nullptr), platform::noErr);
    sim.advance(ms(10));
    EXPECT_THAT(passed, IsEmpty());
    EXPECT_THAT(received, IsEmpty());
}

TEST_F(RenderPathTest, MonitorValuesAreReadableUnderTheLock) {
    renderAndTick({{0xB0, 0x07, 0x64}, {0x91, 0x40, 0x33}});
    platform::UnfairLockGuard guard(unit->monitorLock());
    EXPECT_EQ(unit->monitorValues().monitorCCValues[7], std::optional<std::uint8_t>(0x64));
    EXPECT_EQ(unit->monitorValues().monitorLastNoteVelocity, 0x33);
}

} // namespace
} // namespace vantrel::monitor::test
