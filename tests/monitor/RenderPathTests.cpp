// The render path's monitor values, and what it remembers as reported while nothing is queued.

#include <gmock/gmock.h>

#include "MonitorTestBench.h"

namespace vantrel::monitor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A connected, rendering instance whose timer is ticking, with articulations on notes 24 and 25.
class RenderPathTest : public MonitorTestBench {
protected:
    void SetUp() override {
        receiver.up();
        unit = createRenderingUnit();
        block = unit->internalRenderBlock();
        connect(*unit);
        post("com.marlek.vantrel.articulations",
             platform::Dictionary{{"names", {"Legato", "Staccato"}}, {"notes", {24, 25}}});
        advanceTo(ms(505));
        sent.clear();
    }

    // One render call, then one tick of the timer, which sends what was queued.
    void renderAndTick(const std::vector<Bytes>& messages) {
        EventList events;
        for (const Bytes& message : messages)
            events.midi(message);
        EXPECT_EQ(render(block, events.head()), platform::noErr);
        sim.advance(ms(10));
    }

    std::shared_ptr<VantrelExtensionAudioUnit> unit;
    platform::AUInternalRenderBlock block;
};

struct MonitorValuesCase {
    std::string name;
    std::vector<Bytes> events;
    std::map<int, int> ccValues;
    int lastNoteVelocity;
    int activeArticulation;
};

class MonitorValuesTest : public RenderPathTest, public ::testing::WithParamInterface<MonitorValuesCase> {};

TEST_P(MonitorValuesTest, ShowTheLastControllerValuesNoteVelocityAndArticulation) {
    renderAndTick(GetParam().events);
    const MonitorSnapshot snapshot = unit->monitorSnapshot();
    EXPECT_EQ(snapshot.monitorCCValues, GetParam().ccValues);
    EXPECT_EQ(snapshot.monitorLastNoteVelocity, GetParam().lastNoteVelocity);
    EXPECT_EQ(snapshot.monitorActiveArticulation, GetParam().activeArticulation);
}

INSTANTIATE_TEST_SUITE_P(
    Events, MonitorValuesTest,
    ::testing::Values(
        MonitorValuesCase{"ControllerOnTwoChannelsShowsTheLast",
                          {{0xB0, 0x07, 0x64}, {0xB1, 0x07, 0x50}},
                          {{7, 0x50}},
                          0,
                          -1},
        MonitorValuesCase{
            "NoteOnWithVelocityZeroChangesNothing", {{0x90, 0x3C, 0x00}, {0x9F, 0x3C, 0x00}}, {}, 0, -1},
        MonitorValuesCase{
            "ArticulationNoteKeepsTheVelocity", {{0x90, 0x3C, 0x50}, {0x92, 0x19, 0x7F}}, {}, 0x50, 25},
        MonitorValuesCase{"ChannelSixteenArticulationNote", {{0x9F, 0x18, 0x64}}, {}, 0, 24},
        MonitorValuesCase{"TwoByteControllerShowsZero", {{0xB2, 0x0B}}, {{0x0B, 0}}, 0, -1},
        MonitorValuesCase{
            "ControllerByteAboveSevenBitsIsKeptAsGiven", {{0xB0, 0x85, 0x10}}, {{0x85, 0x10}}, 0, -1}),
    [](const auto& info) { return info.param.name; });

TEST_F(RenderPathTest, WithoutArticulationsEveryNoteOnSetsTheVelocity) {
    post("com.marlek.vantrel.articulations",
         platform::Dictionary{{"names", {"None"}}, {"notes", platform::Value::array()}});
    renderAndTick({{0x90, 0x18, 0x21}, {0x90, 0x19, 0x22}});
    EXPECT_EQ(unit->monitorSnapshot().monitorLastNoteVelocity, 0x22);
    EXPECT_EQ(unit->monitorSnapshot().monitorActiveArticulation, -1);
}

TEST_F(RenderPathTest, WhileDisconnectedValuesShowButAreNotRememberedAsReported) {
    renderAndTick({{0xB0, 0x07, 0x64}});
    post("com.marlek.vantrel.disconnect", platform::Dictionary{{"uid", unit->uniqueID()}});
    renderAndTick({{0xB0, 0x07, 0x70}, {0xB0, 0x08, 0x01}, {0x9F, 0x3C, 0x64}});
    EXPECT_EQ(unit->monitorSnapshot().monitorCCValues, (std::map<int, int>{{7, 0x70}, {8, 0x01}}));
    connect(*unit);
    // 7 was last reported at 0x64; 8 never was.
    renderAndTick({{0xB0, 0x07, 0x64}, {0xB0, 0x08, 0x01}, {0xB0, 0x07, 0x70}});
    EXPECT_EQ(reportedEvents(),
              (std::vector<Bytes>{{0xB0, 0x07, 0x64}, {0xB0, 0x08, 0x01}, {0xB0, 0x07, 0x70}}));
}

TEST_F(RenderPathTest, WhileSendingIsOffNothingIsQueuedUntilTheLinkHeals) {
    sim.midi().postNotification(platform::kMIDIMsgSetupChanged);
    sim.runDue();
    renderAndTick({{0xB0, 0x07, 0x64}}); // this tick heals the link
    EXPECT_THAT(reportedEvents(), IsEmpty());
    renderAndTick({{0xB0, 0x07, 0x64}});
    EXPECT_THAT(reportedEvents(), ElementsAre(Bytes{0xB0, 0x07, 0x64}));
}

} // namespace
} // namespace vantrel::monitor::test
