// The audio meter's main view and its parameter slider: labels, number formats and the gesture a
// drag makes.

#include <gmock/gmock.h>

#include <stdexcept>

#include "frame/common/ui/ObservableAUParameter.h"
#include "meter/ui/ParameterSlider.h"
#include "meter/ui/TolvaneAudioMeterExtensionMainView.h"
#include "platform/audiounit/AUParameterTree.h"
#include "platform/sim/SimulatedPlatform.h"
#include "platform/ui/TextRendering.h"

namespace vantrel::meter {
namespace {

using ::testing::ElementsAre;
namespace ui = platform::ui;

struct SliderParameter {
    std::string identifier;
    std::string name;
    platform::AUParameterAddress address;
    platform::AudioUnitParameterUnit unit;
    platform::AUValue min;
    platform::AUValue max;
    platform::AUValue value;
};

const SliderParameter level{"gain", "Level", 7, platform::kAudioUnitParameterUnit_Decibels, -24, 24, 3.5};
const SliderParameter note{"note", "Note", 8, platform::kAudioUnitParameterUnit_MIDINoteNumber, 0, 127, 60};

std::shared_ptr<platform::AUParameter> makeParameter(const SliderParameter& declared) {
    auto parameter = platform::AUParameterTree::createParameter(
        declared.identifier, declared.name, declared.address, declared.min, declared.max, declared.unit,
        std::nullopt,
        platform::kAudioUnitParameterFlag_IsReadable | platform::kAudioUnitParameterFlag_IsWritable,
        std::nullopt, std::nullopt);
    parameter->setValue(declared.value);
    return parameter;
}

struct SliderCase {
    SliderParameter parameter;
    std::vector<std::string> lines;
};

class ParameterSliderLayout : public ::testing::TestWithParam<SliderCase> {
protected:
    platform::SimulatedPlatform sim;
};

TEST_P(ParameterSliderLayout, ShowsTheRangeAtBothEndsAndNameAndValueBelow) {
    const auto parameter = makeParameter(GetParam().parameter);
    EXPECT_EQ(ui::renderLines(ParameterSlider(ObservableAUParameter::make(parameter)).body()),
              GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Units, ParameterSliderLayout,
    ::testing::Values(
        SliderCase{
            level,
            {R"(vStack alignment=center padding=default)",
             R"(  slider value=3.5 range=-24...24 minimumValueLabel="-24.00" maximumValueLabel="24.00" accessibilityIdentifier="Level")",
             R"(  text "Level: 3.50")"}},
        SliderCase{
            note,
            {R"(vStack alignment=center padding=default)",
             R"(  slider value=60 range=0...127 minimumValueLabel="0" maximumValueLabel="127" accessibilityIdentifier="Note")",
             R"(  text "Note: 60")"}}),
    [](const auto& info) { return info.param.parameter.name; });

class ParameterSliderUse : public ::testing::Test {
protected:
    platform::SimulatedPlatform sim;
    std::shared_ptr<platform::AUParameter> parameter = makeParameter(level);
    ParameterSlider slider{ObservableAUParameter::make(parameter)};
};

TEST_F(ParameterSliderUse, ADragReachesTheParameterAsTouchValueRelease) {
    std::vector<std::pair<platform::AUParameterAutomationEventType, platform::AUValue>> writes;
    parameter->tokenByAddingParameterAutomationObserver(
        [&](const platform::AUParameterAutomationEvent& event) {
            writes.emplace_back(event.eventType, event.value);
        });
    const ui::Node tree = slider.body();
    tree.children.at(0).slider->drag({-6, 12.25});
    using Type = platform::AUParameterAutomationEventType;
    EXPECT_THAT(writes, ElementsAre(std::pair{Type::touch, -6.0f}, std::pair{Type::value, 12.25f},
                                    std::pair{Type::release, 12.25f}));
    EXPECT_EQ(slider.body().children.at(1).text, "Level: 12.25");
}

TEST_F(ParameterSliderUse, AParameterChangedElsewhereShowsAtTheNextDraw) {
    parameter->setValue(-1.5f);
    sim.runDue();
    EXPECT_EQ(slider.body().children.at(1).text, "Level: -1.50");
}

TEST(ParameterSliderRange, AnEmptyRangeIsRefusedWithAClearError) {
    platform::SimulatedPlatform sim;
    SliderParameter inverted = level;
    std::swap(inverted.min, inverted.max);
    ParameterSlider slider(ObservableAUParameter::make(makeParameter(inverted)));
    EXPECT_THROW(slider.body(), std::invalid_argument);
}

TEST(MeterMainView, ShowsTheSliderOfGainInGlobal) {
    platform::SimulatedPlatform sim;
    const auto gain = makeParameter(level);
    const auto other = makeParameter(note);
    const auto tree = platform::AUParameterTree::createTree(
        {platform::AUParameterTree::createGroup("global", "Global", {other, gain})});
    TolvaneAudioMeterExtensionMainView view(std::make_shared<ObservableAUParameterGroup>(*tree));
    const std::vector<std::string> shown = ui::renderLines(view.body());
    EXPECT_THAT(
        shown,
        ElementsAre(
            R"(vStack alignment=center padding=default)",
            R"(  slider value=3.5 range=-24...24 minimumValueLabel="-24.00" maximumValueLabel="24.00" accessibilityIdentifier="Level")",
            R"(  text "Level: 3.50")"));
    view.body().children.at(0).slider->drag({10});
    EXPECT_EQ(gain->value(), 10.0f);
    EXPECT_EQ(other->value(), 60.0f);
}

} // namespace
} // namespace vantrel::meter
