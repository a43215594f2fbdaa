// The monitor's view controller with the base it shares with the meter's: the unit, its parameter
// tree and the one hosted main view, on virtual time.

#include <gtest/gtest.h>

#include "FrameTestSupport.h"
#include "monitor/common/audiounit/VantrelExtensionAudioUnit.h"
#include "monitor/common/ui/AudioUnitViewController.h"
#include "monitor/ui/VantrelExtensionMainView.h"
#include "platform/sim/SimulatedPlatform.h"
#include "support/PluginComponents.h"

namespace {

using namespace frame_test;
using vantrel::ObservableAUParameter;
using vantrel::ObservableAUParameterGroup;
using vantrel::monitor::AudioUnitViewController;
using vantrel::monitor::VantrelExtensionMainView;

const AudioComponentDescription description = vantrel::test::monitorComponent();

class MonitorViewController : public testing::Test {
protected:
    const VantrelExtensionMainView& shownView() const {
        return dynamic_cast<const VantrelExtensionMainView&>(controller->hostingController()->rootView());
    }
    std::shared_ptr<ObservableAUParameter> shownParameter(const std::string& identifier) const {
        return shownView().parameterTree()->member("global")->member<ObservableAUParameter>(identifier);
    }

    // Exactly one hosted view, filling the controller's view.
    void expectOneHostedViewFilling() const {
        const auto& hosting = controller->hostingController();
        ASSERT_NE(hosting, nullptr);
        EXPECT_EQ(controller->childViewControllers(),
                  (std::vector<std::shared_ptr<ui::ViewController>>{hosting}));
        EXPECT_EQ(controller->view()->subviews(),
                  (std::vector<std::shared_ptr<ui::PlatformView>>{hosting->view()}));
        EXPECT_EQ(hosting->view()->frame(), controller->view()->bounds());
        EXPECT_TRUE(hosting->view()->fillsSuperview());
    }
    void expectNoHostedView() const {
        EXPECT_EQ(controller->hostingController(), nullptr);
        EXPECT_TRUE(controller->childViewControllers().empty());
        EXPECT_TRUE(controller->view()->subviews().empty());
    }

    SimulatedPlatform platform;
    std::shared_ptr<AudioUnitViewController> controller = std::make_shared<AudioUnitViewController>();
};

TEST_F(MonitorViewController, CreationInstallsAFreshTreeAndQueuesTheView) {
    const auto unit = controller->createAudioUnit(description);
    EXPECT_EQ(controller->audioUnit(), unit);
    EXPECT_EQ(unit->parameterTree()->parameterWithAddress(1)->value(), 60.0f);
    EXPECT_EQ(controller->hostingController(), nullptr);
    // The queued configuration loads the view, whose load would configure once more.
    ASSERT_FALSE(controller->isViewLoaded());
    platform.runDue();
    expectOneHostedViewFilling();
    EXPECT_EQ(shownParameter("midiNoteNumber")->value(), 60.0f);

    controller = std::make_shared<AudioUnitViewController>();
    controller->view()->setFrame({0, 0, 400, 300});
    expectNoHostedView(); // a view loaded before any unit hosts nothing
    const auto other = controller->createAudioUnit(description);
    EXPECT_NE(other->parameterTree()->allParameters()[0], unit->parameterTree()->allParameters()[0]);
}

TEST_F(MonitorViewController, RestoredStateReachesTheParametersInTreeOrderAndTheShownWrappersSilently) {
    const auto unit = controller->createAudioUnit(description);
    platform.runDue();
    WriteRecorder recorder(*unit->parameterTree());
    auto state = unit->fullState();
    (*state)["data"]["0"] = 1.0;
    (*state)["data"]["1"] = 72.0;
    unit->setFullState(state);
    EXPECT_EQ(recorder.writes(), (std::vector<Write>{{0, 1, AUParameterAutomationEventType::value},
                                                     {1, 72, AUParameterAutomationEventType::value}}));
    platform.runDue();
    EXPECT_EQ(shownParameter("sendNote")->value(), 1.0f);
    EXPECT_EQ(shownParameter("midiNoteNumber")->value(), 72.0f);
    EXPECT_TRUE(platform.log().texts(LogKind::standardOutput).empty());
}

TEST_F(MonitorViewController, UnitWithoutTreeHostsNothingAndTakesAwayTheEarlierView) {
    const auto unit = controller->createAudioUnit(description);
    controller->view(); // hosts a view at once
    const std::weak_ptr<ObservableAUParameterGroup> wrappers = shownView().parameterTree();
    const auto tree = unit->parameterTree();
    WriteRecorder recorder(*tree);
    unit->setParameterTree(nullptr);
    unit->setFullState(Dictionary{{"data", {{"1", 72.0}}}});
    EXPECT_TRUE(recorder.writes().empty());
    platform.runDue();
    expectNoHostedView();
    EXPECT_TRUE(wrappers.expired());
}

// The two configurations one unit can get: the first view load's and the queued one.
TEST_F(MonitorViewController, ViewLoadedBeforeTheQueuedConfigurationEndsWithTheLaterViewAlone) {
    controller->createAudioUnit(description);
    controller->view();
    auto first = controller->hostingController();
    ASSERT_NE(first, nullptr);
    const std::weak_ptr<ObservableAUParameter> firstNote = shownParameter("midiNoteNumber");
    platform.runDue();
    expectOneHostedViewFilling();
    EXPECT_NE(controller->hostingController(), first);
    EXPECT_EQ(first->parentViewController(), nullptr);
    EXPECT_EQ(first->view()->superview(), nullptr);
    EXPECT_FALSE(firstNote.expired()); // `first` still holds its view here
    first.reset();
    EXPECT_TRUE(firstNote.expired());
    // Only the live view's wrapper still hears the host.
    const auto queued = platform.executor().pendingCount();
    controller->audioUnit()->parameterTree()->allParameters()[1]->setValue(64);
    EXPECT_EQ(platform.executor().pendingCount(), queued + 1);
    platform.runDue();
    EXPECT_EQ(shownParameter("midiNoteNumber")->value(), 64.0f);
}

TEST_F(MonitorViewController, ReleasedControllerLeavesTheUnitAndNoWrapperBehind) {
    const auto unit = controller->createAudioUnit(description);
    platform.runDue();
    const std::weak_ptr<ObservableAUParameterGroup> wrappers = shownView().parameterTree();
    controller.reset();
    EXPECT_TRUE(wrappers.expired());
    EXPECT_EQ(unit.use_count(), 1);
}

} // namespace
