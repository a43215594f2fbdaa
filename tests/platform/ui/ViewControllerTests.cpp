#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/sim/SimulatedPlatform.h"
#include "platform/ui/HostingController.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

using namespace platform::ui;

namespace {

TEST(ViewController, ChildrenAreReleasedWhenTheyLeaveAndMayOutliveTheirParent) {
    auto parent = std::make_shared<ViewController>();
    auto child = std::make_shared<ViewController>();
    const std::weak_ptr<ViewController> leaving = child;
    parent->addChildViewController(child);
    child.reset();
    const auto outliving = std::make_shared<ViewController>();
    parent->addChildViewController(outliving);
    leaving.lock()->removeFromParentViewController();
    EXPECT_TRUE(leaving.expired());
    parent.reset();
    EXPECT_EQ(outliving->parentViewController(), nullptr);
}

TEST(ViewHierarchies, RefuseCyclesAndNothingAndStayAsTheyWere) {
    const auto parent = std::make_shared<ViewController>();
    const auto child = std::make_shared<ViewController>();
    parent->addChildViewController(child);
    EXPECT_THROW(child->addChildViewController(parent), std::invalid_argument);
    EXPECT_THROW(child->addChildViewController(child), std::invalid_argument);
    EXPECT_THROW(child->addChildViewController(nullptr), std::invalid_argument);
    EXPECT_EQ(child->parentViewController(), parent.get());

    parent->view()->addSubview(child->view());
    EXPECT_THROW(child->view()->addSubview(parent->view()), std::invalid_argument);
    EXPECT_THROW(child->view()->addSubview(child->view()), std::invalid_argument);
    EXPECT_THROW(child->view()->addSubview(nullptr), std::invalid_argument);
    EXPECT_EQ(parent->view()->subviews().size(), 1u);

    EXPECT_THROW(HostingController(nullptr), std::invalid_argument);
    EXPECT_THROW(Window(nullptr), std::invalid_argument);
}

// Records its appearances; a leaving one takes its own view out of the window as it appears.
class RecordingController : public ViewController {
public:
    RecordingController(std::vector<std::string>& events, std::string name, bool leaving = false)
        : events_(events), name_(std::move(name)), leaving_(leaving) {}

protected:
    void viewDidAppear() override {
        events_.push_back(name_ + " appear");
        if (leaving_) view()->removeFromSuperview();
    }
    void viewDidDisappear() override { events_.push_back(name_ + " disappear"); }

private:
    std::vector<std::string>& events_;
    std::string name_;
    bool leaving_;
};

class RecordingView : public View {
public:
    explicit RecordingView(std::vector<std::string>& events) : events_(events) {}
    Node body() override { return spacer(); }
    void onAppear() override { events_.push_back("view appear"); }
    void onDisappear() override { events_.push_back("view disappear"); }

private:
    std::vector<std::string>& events_;
};

class Appearance : public ::testing::Test {
protected:
    platform::SimulatedPlatform sim;
    std::vector<std::string> events;
    std::shared_ptr<HostingController> hosted =
        std::make_shared<HostingController>(std::make_shared<RecordingView>(events));
};

TEST_F(Appearance, ControllersAppearOuterFirstAndOneLeavingWhileAppearingLeavesTheRestShowing) {
    const auto outer = std::make_shared<RecordingController>(events, "outer");
    const auto leaving = std::make_shared<RecordingController>(events, "leaving", true);
    outer->addChildViewController(leaving);
    outer->view()->addSubview(leaving->view());
    outer->addChildViewController(hosted);
    outer->view()->addSubview(hosted->view());
    Window window(outer);
    window.open();
    EXPECT_FALSE(leaving->view()->isInWindow());
    EXPECT_TRUE(hosted->isShowing());
    window.close();
    EXPECT_EQ(events, (std::vector<std::string>{"outer appear", "leaving appear", "leaving disappear",
                                                "view appear", "outer disappear", "view disappear"}));
}

TEST_F(Appearance, ReleasingAShownHostingControllerEndsItsViewsShowing) {
    const auto owner = std::make_shared<ViewController>();
    Window window(owner);
    window.open();
    owner->view()->addSubview(hosted->view()); // its view stays, the controller goes
    hosted.reset();
    EXPECT_EQ(events, (std::vector<std::string>{"view appear", "view disappear"}));
}

void pin(const std::shared_ptr<PlatformView>& view, const std::shared_ptr<PlatformView>& to,
         const std::vector<AnchorEdge>& edges) {
    view->setTranslatesAutoresizingMaskIntoConstraints(false);
    for (const AnchorEdge edge : edges) {
        if (edge == AnchorEdge::top)
            view->topAnchor().constraintEqualToAnchor(to->topAnchor())->setActive(true);
        if (edge == AnchorEdge::bottom)
            view->bottomAnchor().constraintEqualToAnchor(to->bottomAnchor())->setActive(true);
        if (edge == AnchorEdge::leading)
            view->leadingAnchor().constraintEqualToAnchor(to->leadingAnchor())->setActive(true);
        if (edge == AnchorEdge::trailing)
            view->trailingAnchor().constraintEqualToAnchor(to->trailingAnchor())->setActive(true);
    }
}

using enum AnchorEdge;
const std::vector<AnchorEdge> allEdges{top, leading, trailing, bottom};

TEST(LayoutConstraints, AViewFillsItsSuperviewOnlyWhenPinnedToItOnAllFourEdgesByConstraints) {
    struct Arrangement {
        std::vector<AnchorEdge> edges;
        bool toGrandparent;    // pinned to the superview's superview instead
        bool stillTranslating; // the child's autoresizing mask still turned into constraints
        bool fills;
    };
    std::vector<Arrangement> arrangements{
        {allEdges, false, false, true}, {allEdges, true, false, false}, {allEdges, false, true, false}};
    for (const AnchorEdge missing : allEdges)
        std::erase(arrangements.emplace_back(Arrangement{allEdges, false, false, false}).edges, missing);
    for (const Arrangement& arrangement : arrangements) {
        const auto grandparent = PlatformView::make(), parent = PlatformView::make(), child = PlatformView::make();
        grandparent->addSubview(parent);
        parent->addSubview(child);
        pin(child, arrangement.toGrandparent ? grandparent : parent, arrangement.edges);
        child->setTranslatesAutoresizingMaskIntoConstraints(arrangement.stillTranslating);
        EXPECT_EQ(child->fillsSuperview(), arrangement.fills)
            << arrangement.edges.size() << " edges, to grandparent " << arrangement.toGrandparent;
    }
}

TEST(LayoutConstraints, RemovingAViewDeactivatesItsConstraintsToTheOldHierarchyOnly) {
    const auto parent = PlatformView::make();
    const auto child = PlatformView::make();
    const auto inner = PlatformView::make();
    parent->addSubview(child);
    child->addSubview(inner);
    pin(child, parent, allEdges);
    pin(inner, child, allEdges);
    pin(parent, inner, {top});
    const auto held = child->constraints();

    child->removeFromSuperview();
    EXPECT_TRUE(child->constraints().empty());
    EXPECT_TRUE(parent->constraints().empty());
    for (const auto& constraint : held)
        EXPECT_FALSE(constraint->isActive());
    EXPECT_TRUE(inner->fillsSuperview());
    parent->addSubview(child);
    EXPECT_FALSE(child->fillsSuperview());
}

} // namespace
