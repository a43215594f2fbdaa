// The render path's monitor values, which the view shows. What is reported, and when, is the
// randomized simulation's check after every command.

#include <gtest/gtest.h>

#include "MonitorTestBench.h"

namespace vantrel::monitor::test {
namespace {

// A rendering instance with articulations on notes 24 and 25.
class RenderPathTest : public MonitorTestBench {
protected:
    void SetUp() override {
        post("com.marlek.vantrel.articulations",
             platform::Dictionary{{"names", {"Legato", "Staccato"}}, {"notes", {24, 25}}});
    }

    void renderCall(const std::vector<Bytes>& messages) {
        EventList events;
        for (const Bytes& message : messages)
            events.midi(message);
        EXPECT_EQ(render(unit->internalRenderBlock(), events.head()), platform::noErr);
    }

    std::shared_ptr<VantrelExtensionAudioUnit> unit = createRenderingUnit();
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
    renderCall(GetParam().events);
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
        MonitorValuesCase{
            "ControllerByteAboveSevenBitsIsKeptAsGiven", {{0xB0, 0x85, 0x10}}, {{0x85, 0x10}}, 0, -1}),
    [](const auto& info) { return info.param.name; });

// A host may leave anything in the byte after a two-byte message.
TEST_F(RenderPathTest, ATwoByteControllerShowsZeroWhateverTheThirdByteHolds) {
    EventList events;
    events.midiWithLength(2, {0xB2, 0x0B, 0x55});
    render(unit->internalRenderBlock(), events.head());
    EXPECT_EQ(unit->monitorSnapshot().monitorCCValues, (std::map<int, int>{{0x0B, 0}}));
}

TEST_F(RenderPathTest, WithoutArticulationsEveryNoteOnSetsTheVelocity) {
    post("com.marlek.vantrel.articulations",
         platform::Dictionary{{"names", {"None"}}, {"notes", platform::Value::array()}});
    renderCall({{0x90, 0x18, 0x21}, {0x90, 0x19, 0x22}});
    EXPECT_EQ(unit->monitorSnapshot().monitorLastNoteVelocity, 0x22);
    EXPECT_EQ(unit->monitorSnapshot().monitorActiveArticulation, -1);
}

} // namespace
} // namespace vantrel::monitor::test
