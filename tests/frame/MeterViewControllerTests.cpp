#include <gtest/gtest.h>

#include "FrameTestSupport.h"
#include "meter/common/audiounit/TolvaneAudioMeterExtensionAudioUnit.h"
#include "meter/common/ui/AudioUnitViewController.h"
#include "platform/sim/SimulatedPlatform.h"

namespace {

using namespace frame_test;
using vantrel::meter::AudioUnitViewController;
using vantrel::meter::TolvaneAudioMeterExtensionAudioUnit;

const AudioComponentDescription description{kAudioUnitType_Effect, fourCharCode("Tamx"),
                                            fourCharCode("Mrlk")};

class MeterViewController : public testing::Test {
protected:
    SimulatedPlatform platform;
    std::shared_ptr<AudioUnitViewController> controller = std::make_shared<AudioUnitViewController>();
};

TEST_F(MeterViewController, ReturnsTheUnitBeforeTakingItAndHostsNoView) {
    const auto unit = controller->createAudioUnit(description);
    ASSERT_NE(std::dynamic_pointer_cast<TolvaneAudioMeterExtensionAudioUnit>(unit), nullptr);
    EXPECT_EQ(controller->audioUnit(), nullptr);
    EXPECT_EQ(unit->parameterTree(), nullptr);

    platform.runDue();
    EXPECT_EQ(controller->audioUnit(), unit);
    EXPECT_EQ(controller->hostingController(), nullptr);
    // Loading the view later configures again, with the same outcome.
    EXPECT_TRUE(controller->view()->subviews().empty());
    EXPECT_TRUE(controller->childViewControllers().empty());
    EXPECT_EQ(controller->hostingController(), nullptr);
}

TEST_F(MeterViewController, ControllerGoneBeforeTheQueuedWorkLeavesItNothingToDo) {
    const auto unit = controller->createAudioUnit(description);
    controller.reset();
    platform.runDue();
    EXPECT_EQ(unit.use_count(), 1); // the queued work has let go of it
}

TEST_F(MeterViewController, FailedConstructionHandsTheErrorBackAndChangesNothing) {
    platform.audioUnitFaults().failNextBaseConstruction = true;
    EXPECT_THROW(controller->createAudioUnit(description), PlatformError);
    platform.runDue();
    EXPECT_EQ(controller->audioUnit(), nullptr);
}

} // namespace
