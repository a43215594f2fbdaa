#include <gtest/gtest.h>

#include <algorithm>
#include <future>

#include "FrameTestSupport.h"
#include "monitor/common/audiounit/VantrelExtensionAudioUnit.h"
#include "monitor/common/ui/AudioUnitViewController.h"
#include "monitor/ui/VantrelExtensionMainView.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/sim/LivePlatform.h"
#include "platform/sim/SimulatedPlatform.h"

namespace {

using namespace frame_test;
using vantrel::ObservableAUParameter;
using vantrel::ObservableAUParameterGroup;
using vantrel::monitor::AudioUnitViewController;
using vantrel::monitor::VantrelExtensionAudioUnit;
using vantrel::monitor::VantrelExtensionMainView;

const AudioComponentDescription description{kAudioUnitType_MIDIProcessor, fourCharCode("Vntr"),
                                            fourCharCode("Mrlk")};

class MonitorViewController : public testing::Test {
protected:
    const VantrelExtensionMainView& shownView() const {
        return dynamic_cast<const VantrelExtensionMainView&>(controller->hostingController()->rootView());
    }
    std::shared_ptr<ObservableAUParameter> shownParameter(const std::string& identifier) const {
        return shownView().parameterTree()->member("global")->member<ObservableAUParameter>(identifier);
    }

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

    SimulatedPlatform platform;
    std::shared_ptr<AudioUnitViewController> controller = std::make_shared<AudioUnitViewController>();
};

TEST_F(MonitorViewController, CreationInstallsTheTreeAndQueuesTheView) {
    const auto unit = controller->createAudioUnit(description);
    ASSERT_NE(std::dynamic_pointer_cast<VantrelExtensionAudioUnit>(unit), nullptr);
    EXPECT_EQ(controller->audioUnit(), unit);
    const auto tree = unit->parameterTree();
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(tree->children().size(), 1u);
    EXPECT_EQ(tree->children()[0]->identifier(), "global");
    EXPECT_EQ(parameterNamed(*tree, "sendNote")->value(), 0.0f);
    EXPECT_EQ(parameterNamed(*tree, "midiNoteNumber")->value(), 60.0f);
    EXPECT_EQ(controller->hostingController(), nullptr); // the view comes by the main queue

    platform.runDue();
    expectOneHostedViewFilling();
    EXPECT_EQ(shownParameter("midiNoteNumber")->value(), 60.0f);
    EXPECT_EQ(std::ranges::count(platform.log().texts(LogKind::unified), "Unable to access AU ParameterTree"),
              0);
}

TEST_F(MonitorViewController, EveryUnitGetsItsOwnTree) {
    const auto first = controller->createAudioUnit(description);
    const auto second = std::make_shared<AudioUnitViewController>()->createAudioUnit(description);
    EXPECT_NE(first->parameterTree(), second->parameterTree());
    EXPECT_NE(first->parameterTree()->allParameters()[0], second->parameterTree()->allParameters()[0]);
}

TEST_F(MonitorViewController, FailedConstructionHandsTheErrorBackAndChangesNothing) {
    const auto earlier = controller->createAudioUnit(description);
    platform.runDue();
    const auto hosting = controller->hostingController();
    platform.audioUnitFaults().failNextBaseConstruction = true;
    EXPECT_THROW(controller->createAudioUnit(description), PlatformError);
    platform.runDue();
    EXPECT_EQ(controller->audioUnit(), earlier);
    EXPECT_EQ(controller->hostingController(), hosting);
}

TEST_F(MonitorViewController, FailedFirstConstructionLeavesNoUnitAndNoView) {
    platform.audioUnitFaults().failNextBaseConstruction = true;
    EXPECT_THROW(controller->createAudioUnit(description), PlatformError);
    platform.runDue();
    EXPECT_EQ(controller->audioUnit(), nullptr);
    EXPECT_EQ(controller->hostingController(), nullptr);
    EXPECT_TRUE(controller->childViewControllers().empty());
}

TEST_F(MonitorViewController, CalledOnTheMainQueueItRunsAtOnce) {
    std::shared_ptr<AUAudioUnit> unit;
    bool setWhileStillOnMain = false;
    DispatchQueue::main().async([&] {
        unit = controller->createAudioUnit(description);
        setWhileStillOnMain = controller->audioUnit() == unit && unit->parameterTree() != nullptr;
    });
    platform.runDue();
    EXPECT_TRUE(setWhileStillOnMain);
    expectOneHostedViewFilling();
}

TEST_F(MonitorViewController, RestoredStateIsReportedOncePerParameterInTreeOrder) {
    const auto unit = controller->createAudioUnit(description);
    WriteRecorder recorder(*unit->parameterTree());
    auto state = unit->fullState();
    ASSERT_TRUE(state.has_value());
    (*state)["data"]["0"] = 1.0;
    (*state)["data"]["1"] = 72.0;
    unit->setFullState(state);
    EXPECT_EQ(recorder.writes(), (std::vector<Write>{{0, 1, AUParameterAutomationEventType::value},
                                                     {1, 72, AUParameterAutomationEventType::value}}));
}

TEST_F(MonitorViewController, ShownWrappersFollowARestoredStateSilently) {
    const auto unit = controller->createAudioUnit(description);
    platform.runDue();
    auto state = unit->fullState();
    (*state)["data"]["1"] = 72.0;
    unit->setFullState(state);
    platform.runDue();
    EXPECT_EQ(shownParameter("midiNoteNumber")->value(), 72.0f);
    EXPECT_EQ(shownParameter("sendNote")->value(), 0.0f);
    EXPECT_TRUE(platform.log().texts(LogKind::standardOutput).empty());
}

TEST_F(MonitorViewController, UnitWithoutTreeReportsNothingOnRestore) {
    const auto unit = controller->createAudioUnit(description);
    const auto tree = unit->parameterTree();
    WriteRecorder recorder(*tree);
    unit->setParameterTree(nullptr);
    unit->setFullState(Dictionary{{"data", {{"1", 72.0}}}});
    EXPECT_TRUE(recorder.writes().empty());
}

// The two configurations one unit can get: the queued one and the one of the first view load.
TEST_F(MonitorViewController, ViewLoadedBeforeTheQueuedConfigurationEndsWithTheLaterView) {
    controller->createAudioUnit(description);
    controller->view()->setFrame({0, 0, 640, 480});
    const auto first = controller->hostingController();
    ASSERT_NE(first, nullptr);
    const std::weak_ptr<ObservableAUParameterGroup> firstWrappers = shownView().parameterTree();
    platform.runDue();
    expectOneHostedViewFilling();
    EXPECT_NE(controller->hostingController(), first);
    EXPECT_EQ(first->parentViewController(), nullptr);
    EXPECT_EQ(first->view()->superview(), nullptr);
    EXPECT_FALSE(firstWrappers.expired()); // `first` still holds its view here
}

TEST_F(MonitorViewController, ReplacedViewTakesItsWrappersAlong) {
    controller->createAudioUnit(description);
    controller->view();
    const std::weak_ptr<ObservableAUParameterGroup> firstWrappers = shownView().parameterTree();
    const std::weak_ptr<ObservableAUParameter> firstNote = shownParameter("midiNoteNumber");
    platform.runDue();
    EXPECT_TRUE(firstWrappers.expired());
    EXPECT_TRUE(firstNote.expired());
    // Only the live view's wrapper still hears the host.
    const auto queued = platform.executor().pendingCount();
    controller->audioUnit()->parameterTree()->allParameters()[1]->setValue(64);
    EXPECT_EQ(platform.executor().pendingCount(), queued + 1);
    platform.runDue();
    EXPECT_EQ(shownParameter("midiNoteNumber")->value(), 64.0f);
}

TEST_F(MonitorViewController, FirstLoadByTheQueuedConfigurationLeavesOneHostedView) {
    controller->createAudioUnit(description);
    ASSERT_FALSE(controller->isViewLoaded());
    platform.runDue();
    expectOneHostedViewFilling();
}

TEST_F(MonitorViewController, ReleasedControllerLeavesNoWrapperBehind) {
    const auto unit = controller->createAudioUnit(description);
    platform.runDue();
    const std::weak_ptr<ObservableAUParameterGroup> wrappers = shownView().parameterTree();
    controller.reset();
    EXPECT_TRUE(wrappers.expired());
    EXPECT_EQ(unit.use_count(), 1);
}

TEST(MonitorViewControllerLive, FactoryCalledOnTheMainThreadDoesNotWaitOnItself) {
    LivePlatform live;
    const auto controller = std::make_shared<AudioUnitViewController>();
    std::promise<std::shared_ptr<AUAudioUnit>> created;
    auto result = created.get_future();
    DispatchQueue::main().async([&] { created.set_value(controller->createAudioUnit(description)); });
    ASSERT_EQ(result.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    const auto unit = result.get();
    DispatchQueue::main().sync([] {}); // the view configuration queued before this has run
    EXPECT_EQ(controller->audioUnit(), unit);
    EXPECT_NE(controller->hostingController(), nullptr);
}

} // namespace
