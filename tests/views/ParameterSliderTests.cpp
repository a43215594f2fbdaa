// The audio meter's main view and its parameter slider: number formats by unit, the gesture a
// drag makes, and a range the slider cannot show.

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
using Type = platform::AUParameterAutomationEventType;

std::shared_ptr<platform::AUParameter> makeParameter(const std::string& identifier, const std::string& name,
                                                     platform::AUParameterAddress address,
                                                     platform::AudioUnitParameterUnit unit,
                                                     platform::AUValue min, platform::AUValue max,
                                                     platform::AUValue value) {
    auto parameter = platform::AUParameterTree::createParameter(
        identifier, name, address, min, max, unit, std::nullopt,
        platform::kAudioUnitParameterFlag_IsReadable | platform::kAudioUnitParameterFlag_IsWritable,
        std::nullopt, std::nullopt);
    parameter->setValue(value);
    return parameter;
}

std::shared_ptr<platform::AUParameter> makeLevel() {
    return makeParameter("gain", "Level", 7, platform::kAudioUnitParameterUnit_Decibels, -24, 24, 3.5);
}
std::shared_ptr<platform::AUParameter> makeNote() {
    return makeParameter("note", "Note", 8, platform::kAudioUnitParameterUnit_MIDINoteNumber, 0, 127, 60);
}

class ParameterSliderTest : public ::testing::Test {
protected:
    static std::vector<std::string> lines(const std::shared_ptr<platform::AUParameter>& parameter) {
        return ui::renderLines(ParameterSlider(ObservableAUParameter::make(parameter)).body());
    }
    platform::SimulatedPlatform sim;
};

TEST_F(ParameterSliderTest, ShowsDecibelsWithTwoDecimalsAndOtherUnitsAsWholeNumbers) {
    EXPECT_THAT(
        lines(makeLevel()),
        ElementsAre(
            R"(vStack alignment=center padding=default)",
            R"(  slider value=3.5 range=-24...24 minimumValueLabel="-24.00" maximumValueLabel="24.00" accessibilityIdentifier="Level")",
            R"(  text "Level: 3.50")"));
    EXPECT_THAT(lines(makeNote()).at(2), R"(  text "Note: 60")");
    EXPECT_THAT(lines(makeNote()).at(1),
                ::testing::HasSubstr(R"(minimumValueLabel="0" maximumValueLabel="127")"));
}

TEST_F(ParameterSliderTest, ADragReachesTheParameterAsTouchValueReleaseAndOtherChangesShowAtTheNextDraw) {
    const auto level = makeLevel();
    std::vector<std::pair<Type, platform::AUValue>> writes;
    level->tokenByAddingParameterAutomationObserver([&](const platform::AUParameterAutomationEvent& event) {
        writes.emplace_back(event.eventType, event.value);
    });
    ParameterSlider slider(ObservableAUParameter::make(level));
    slider.body().children.at(0).slider->drag({-6, 12.25});
    EXPECT_THAT(writes, ElementsAre(std::pair{Type::touch, -6.0f}, std::pair{Type::value, 12.25f},
                                    std::pair{Type::release, 12.25f}));
    EXPECT_EQ(slider.body().children.at(1).text, "Level: 12.25");
    level->setValue(-1.5f);
    sim.runDue();
    EXPECT_EQ(slider.body().children.at(1).text, "Level: -1.50");
}

TEST_F(ParameterSliderTest, AnEmptyRangeIsRefusedWithAClearError) {
    ParameterSlider slider(ObservableAUParameter::make(
        makeParameter("gain", "Level", 7, platform::kAudioUnitParameterUnit_Decibels, 24, -24, 3.5)));
    EXPECT_THROW(slider.body(), std::invalid_argument);
}

TEST_F(ParameterSliderTest, TheMeterViewShowsTheSliderOfGainInGlobal) {
    const auto gain = makeLevel();
    const auto other = makeNote();
    const auto tree = platform::AUParameterTree::createTree(
        {platform::AUParameterTree::createGroup("global", "Global", {other, gain})});
    TolvaneAudioMeterExtensionMainView view(std::make_shared<ObservableAUParameterGroup>(*tree));
    view.body().children.at(0).slider->drag({10});
    EXPECT_EQ(gain->value(), 10.0f);
    EXPECT_EQ(other->value(), 60.0f);
}

} // namespace
} // namespace vantrel::meter
