// The observable wrappers of parameters: what a control's edits write, what reaches the views, how
// host changes are taken over, and who keeps whom alive.
#include <gtest/gtest.h>

#include <limits>
#include <utility>

#include "FrameTestSupport.h"
#include "frame/common/ui/FloatText.h"
#include "frame/common/ui/ObservableAUParameter.h"
#include "frame/common/ui/ObservationRegistrar.h"
#include "platform/sim/SimulatedPlatform.h"

namespace {

using namespace frame_test;
using vantrel::ObservableAUParameter;
using vantrel::ObservationPhase;
using vantrel::ObservationRegistrar;
using Type = AUParameterAutomationEventType;
using Lines = std::vector<std::string>;

constexpr AUParameterAddress gainAddress = 7;

class ObservableParameter : public testing::Test {
protected:
    Lines printed() { return platform.log().texts(LogKind::standardOutput); }
    void hostSets(AUValue value) { gain->setValue(value); } // applied to wrappers by the main queue

    SimulatedPlatform platform;
    std::shared_ptr<AUParameterTree> tree = makeGlobalTree(3.5f);
    std::shared_ptr<AUParameter> gain = tree->parameterWithAddress(gainAddress);
    WriteRecorder recorder{*gain};
    std::shared_ptr<ObservableAUParameter> wrapper = ObservableAUParameter::make(gain);
};

// What a control does: begin or end a drag, or store a value.
struct Step {
    enum Kind { begin, end, set } kind;
    AUValue value = 0;
};

struct GestureCase {
    const char* name;
    std::vector<Step> steps;
    std::vector<Write> writes; // each also printed
};

class Gestures : public ObservableParameter, public testing::WithParamInterface<GestureCase> {};

TEST_P(Gestures, WriteWithTheEventTypesOfTheEdit) {
    for (const auto& step : GetParam().steps) {
        if (step.kind == Step::set)
            wrapper->setValue(step.value);
        else
            wrapper->onEditingChanged(step.kind == Step::begin);
    }
    EXPECT_EQ(recorder.writes(), GetParam().writes);
    Lines lines;
    for (const Write& write : GetParam().writes)
        lines.push_back("Param was set " + vantrel::shortestFloatText(write.value));
    EXPECT_EQ(printed(), lines);
    EXPECT_EQ(platform.executor().pendingCount(), 0u); // the originator hears no echo of its writes
}

INSTANTIATE_TEST_SUITE_P(
    Edits, Gestures,
    testing::Values(
        GestureCase{
            "DragMovedTwice",
            {{Step::begin}, {Step::set, 1}, {Step::set, 2}, {Step::end}},
            {{gainAddress, 1, Type::touch}, {gainAddress, 2, Type::value}, {gainAddress, 2, Type::release}}},
        GestureCase{"DragWithoutMoving", {{Step::begin}, {Step::end}}, {{gainAddress, 3.5f, Type::release}}},
        GestureCase{"UnchangedPlainStoreIsStillWritten",
                    {{Step::set, 3.5f}, {Step::set, 60}},
                    {{gainAddress, 3.5f, Type::value}, {gainAddress, 60, Type::value}}},
        GestureCase{"SecondDragStartsWithTouchAgain",
                    {{Step::begin}, {Step::set, 1}, {Step::end}, {Step::begin}, {Step::set, -2}, {Step::end}},
                    {{gainAddress, 1, Type::touch},
                     {gainAddress, 1, Type::release},
                     {gainAddress, -2, Type::touch},
                     {gainAddress, -2, Type::release}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ObservableParameter, ViewsHearOnlyRealChanges) {
    Lines heard;
    wrapper->observationRegistrar().addObserver([&](ObservationPhase phase, std::string_view field) {
        heard.push_back((phase == ObservationPhase::willChange ? "will " : "did ") + std::string(field));
    });
    wrapper->setValue(3.5f);
    EXPECT_TRUE(heard.empty());
    wrapper->onEditingChanged(true);
    wrapper->setValue(4);
    EXPECT_EQ(heard, (Lines{"will editingState", "did editingState", "will value", "did value",
                            "will editingState", "did editingState"}));
}

TEST_F(ObservableParameter, HostChangeWhileIdleIsTakenOverWithoutWritingBack) {
    hostSets(10);
    EXPECT_EQ(wrapper->value(), 3.5f);
    platform.runDue();
    EXPECT_EQ(wrapper->value(), 10);
    EXPECT_EQ(recorder.writes(), (std::vector<Write>{{gainAddress, 10, Type::value}})); // the host's own
    EXPECT_TRUE(printed().empty());
    wrapper->setValue(11); // still idle: a plain value
    EXPECT_EQ(recorder.writes().back(), (Write{gainAddress, 11, Type::value}));
}

TEST_F(ObservableParameter, HostChangeIsDroppedWhenADragIsOnAsItsUpdateRuns) {
    hostSets(10);                    // while idle...
    wrapper->onEditingChanged(true); // ...but the drag begins before the update runs
    platform.runDue();
    EXPECT_EQ(wrapper->value(), 3.5f);
    wrapper->setValue(1);
    hostSets(20);
    platform.runDue();
    EXPECT_EQ(wrapper->value(), 1);
    wrapper->onEditingChanged(false);
    EXPECT_EQ(recorder.writes(), (std::vector<Write>{{gainAddress, 10, Type::value},
                                                     {gainAddress, 1, Type::touch},
                                                     {gainAddress, 20, Type::value},
                                                     {gainAddress, 1, Type::release}}));
    hostSets(12);
    platform.runDue();
    EXPECT_EQ(wrapper->value(), 12);
}

TEST_F(ObservableParameter, TwoWrappersOfOneParameterFollowEachOtherWithoutEcho) {
    const auto other = ObservableAUParameter::make(gain);
    wrapper->setValue(5);
    platform.runDue();
    EXPECT_EQ(other->value(), 5);
    other->setValue(6);
    platform.runDue();
    EXPECT_EQ(wrapper->value(), 6);
    EXPECT_EQ(recorder.writes(),
              (std::vector<Write>{{gainAddress, 5, Type::value}, {gainAddress, 6, Type::value}}));
}

// Lifetime: the parameter must not keep wrappers alive once their view has let go of them (a whole
// tree of them is the view controller suite's).

TEST_F(ObservableParameter, WrapperOutlivingItsParameterKeepsItsValueAndStillPrints) {
    hostSets(10); // queued, then the parameter goes before it runs
    tree.reset();
    gain.reset();
    platform.runDue();
    EXPECT_EQ(wrapper->value(), 3.5f);
    wrapper->setValue(2);
    EXPECT_EQ(wrapper->value(), 2);
    EXPECT_EQ(printed(), Lines{"Param was set 2.0"});
}

TEST_F(ObservableParameter, UpdateOnItsWayKeepsTheWrapperUntilItHasRunThenItNoLongerListens) {
    const std::weak_ptr<ObservableAUParameter> watched = wrapper;
    hostSets(10);
    wrapper.reset();
    EXPECT_FALSE(watched.expired());
    platform.runDue();
    EXPECT_TRUE(watched.expired());
    hostSets(11);
    EXPECT_EQ(platform.executor().pendingCount(), 0u);
}

// Observers that change the observer list while they are being notified: one removed is not
// called again, one added hears the next change only.
TEST(ObservationRegistrar, ChangesToTheObserversDuringANotificationTakeEffectFromTheNextChange) {
    ObservationRegistrar registrar;
    int field = 0;
    Lines heard;
    ObservationRegistrar::Token removed = 0;
    bool added = false;
    registrar.addObserver([&](ObservationPhase, std::string_view) {
        registrar.removeObserver(removed);
        if (std::exchange(added, true)) return;
        registrar.addObserver([&](ObservationPhase phase, std::string_view name) {
            heard.push_back((phase == ObservationPhase::willChange ? "will " : "did ") + std::string(name) +
                            "=" + std::to_string(field));
        });
    });
    removed = registrar.addObserver([&](ObservationPhase, std::string_view) { heard.push_back("removed"); });
    registrar.store("field", field, 1);
    EXPECT_TRUE(heard.empty());
    registrar.store("field", field, 2);
    EXPECT_EQ(heard, (Lines{"will field=1", "did field=2"}));
}

struct FloatCase {
    float value;
    const char* text;
};

class FloatTexts : public testing::TestWithParam<FloatCase> {};

TEST_P(FloatTexts, AreShortestAndKeepADecimalPoint) {
    EXPECT_EQ(vantrel::shortestFloatText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, FloatTexts,
                         testing::Values(FloatCase{60, "60.0"}, FloatCase{0.1f, "0.1"},
                                         FloatCase{-0.0f, "-0.0"}, FloatCase{-24.25f, "-24.25"},
                                         FloatCase{16777216, "16777216.0"}, FloatCase{1e10f, "10000000000.0"},
                                         FloatCase{1e-7f, "0.0000001"},
                                         FloatCase{std::numeric_limits<float>::infinity(), "inf"}));

} // namespace
