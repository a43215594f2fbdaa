#include <gtest/gtest.h>

#include "FrameTestSupport.h"
#include "frame/common/ui/AudioUnitViewControllerBase.h"
#include "platform/sim/SimulatedPlatform.h"

namespace {

using namespace frame_test;
using vantrel::ObservableAUParameterGroup;

class TestAudioUnit final : public AUAudioUnit {
public:
    TestAudioUnit() : AUAudioUnit(AudioComponentDescription{}, 0) {}
};

class RecordingView final : public ui::View {
public:
    RecordingView(std::shared_ptr<ObservableAUParameterGroup> tree, std::shared_ptr<AUAudioUnit> unit)
        : parameterTree(std::move(tree)), audioUnit(std::move(unit)) {}
    ui::Node body() override { return ui::text("recording"); }

    std::shared_ptr<ObservableAUParameterGroup> parameterTree;
    std::shared_ptr<AUAudioUnit> audioUnit;
};

// A plug-in's controller reduced to what the base needs, with the base's operations opened up.
class TestController final : public vantrel::AudioUnitViewControllerBase {
public:
    std::shared_ptr<AUAudioUnit> createAudioUnit(const AudioComponentDescription&) override {
        auto unit = std::make_shared<TestAudioUnit>();
        setAudioUnit(unit);
        return unit;
    }
    using AudioUnitViewControllerBase::configureSwiftUIView;

    mutable int viewsMade = 0;

protected:
    std::shared_ptr<ui::View> makeMainView(std::shared_ptr<ObservableAUParameterGroup> parameterTree,
                                           const std::shared_ptr<AUAudioUnit>& audioUnit) const override {
        ++viewsMade;
        return std::make_shared<RecordingView>(std::move(parameterTree), audioUnit);
    }
};

class HostedView : public testing::Test {
protected:
    RecordingView& shownView() {
        return dynamic_cast<RecordingView&>(controller->hostingController()->rootView());
    }

    // Exactly one hosted controller and view: the recorded one, filling the controller's view.
    void expectOneHostedViewFilling() {
        const auto& hosting = controller->hostingController();
        ASSERT_NE(hosting, nullptr);
        ASSERT_EQ(controller->childViewControllers().size(), 1u);
        EXPECT_EQ(controller->childViewControllers()[0], hosting);
        ASSERT_EQ(controller->view()->subviews().size(), 1u);
        EXPECT_EQ(controller->view()->subviews()[0], hosting->view());
        EXPECT_EQ(hosting->view()->frame(), controller->view()->bounds());
        EXPECT_TRUE(hosting->view()->fillsSuperview());
    }

    SimulatedPlatform platform;
    std::shared_ptr<TestController> controller = std::make_shared<TestController>();
    std::shared_ptr<AUAudioUnit> unit = controller->createAudioUnit({});
};

TEST_F(HostedView, ShowsAViewOfTheUnitsParametersFillingTheController) {
    unit->setParameterTree(makeGlobalTree());
    controller->view()->setFrame({0, 0, 400, 300});
    controller->configureSwiftUIView(unit);
    expectOneHostedViewFilling();
    EXPECT_EQ(shownView().audioUnit, unit);
    EXPECT_EQ(
        shownView().parameterTree->member("global")->member<vantrel::ObservableAUParameter>("gain")->value(),
        3.5f);
    const auto constraints = controller->hostingController()->view()->constraints();
    ASSERT_EQ(constraints.size(), 4u);
    const std::vector<ui::AnchorEdge> order{ui::AnchorEdge::top, ui::AnchorEdge::leading,
                                            ui::AnchorEdge::trailing, ui::AnchorEdge::bottom};
    for (std::size_t index = 0; index < order.size(); ++index) {
        EXPECT_EQ(constraints[index]->firstAnchor().edge(), order[index]);
        EXPECT_EQ(constraints[index]->secondAnchor().view(), controller->view());
    }
}

TEST_F(HostedView, FirstLoadInsideAConfigurationLeavesOneHostedView) {
    unit->setParameterTree(makeGlobalTree());
    ASSERT_FALSE(controller->isViewLoaded());
    controller->configureSwiftUIView(unit); // reads the view, which loads it, which would configure
    EXPECT_EQ(controller->viewsMade, 1);
    expectOneHostedViewFilling();
}

TEST_F(HostedView, LoadingTheViewBeforeAnyUnitHostsNothing) {
    const auto bare = std::make_shared<TestController>();
    bare->view();
    EXPECT_EQ(bare->viewsMade, 0);
    EXPECT_EQ(bare->hostingController(), nullptr);
    EXPECT_TRUE(bare->view()->subviews().empty());
}

TEST_F(HostedView, UnitWithoutTreeHostsNothingAndTakesAwayAnEarlierView) {
    controller->configureSwiftUIView(unit);
    EXPECT_EQ(controller->hostingController(), nullptr);
    EXPECT_EQ(controller->viewsMade, 0);

    unit->setParameterTree(makeGlobalTree());
    controller->configureSwiftUIView(unit);
    const std::weak_ptr<ObservableAUParameterGroup> wrappers = shownView().parameterTree;
    unit->setParameterTree(nullptr);
    controller->configureSwiftUIView(unit);
    EXPECT_EQ(controller->hostingController(), nullptr);
    EXPECT_TRUE(controller->childViewControllers().empty());
    EXPECT_TRUE(controller->view()->subviews().empty());
    EXPECT_TRUE(wrappers.expired());
}

} // namespace
