#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ui/HostingController.h"
#include "platform/ui/ViewController.h"

using namespace platform::ui;

namespace {

class CountingController : public ViewController {
public:
    int loads = 0;
    PlatformView* viewSeenWhileLoading = nullptr;
    bool* destroyed = nullptr;

    ~CountingController() override {
        if (destroyed != nullptr) *destroyed = true;
    }

protected:
    void viewDidLoad() override {
        ++loads;
        viewSeenWhileLoading = view().get();
    }
};

TEST(ViewControllerLoading, MakesTheViewOnFirstAccessAndRunsViewDidLoadOnce) {
    const auto controller = std::make_shared<CountingController>();
    EXPECT_FALSE(controller->isViewLoaded());
    EXPECT_EQ(controller->loads, 0);
    const PlatformView* first = controller->view().get();
    EXPECT_EQ(controller->view().get(), first);
    EXPECT_EQ(controller->loads, 1);
    EXPECT_EQ(controller->viewSeenWhileLoading, first);
}

using Controllers = std::vector<std::shared_ptr<ViewController>>;

TEST(ViewControllerChildren, KeepTheirOrderGoToTheEndWhenAddedAgainAndMoveBetweenParents) {
    const auto first = std::make_shared<ViewController>();
    const auto second = std::make_shared<ViewController>();
    const auto a = std::make_shared<ViewController>();
    const auto b = std::make_shared<ViewController>();
    first->addChildViewController(a);
    first->addChildViewController(b);
    first->addChildViewController(a);
    EXPECT_EQ(first->childViewControllers(), (Controllers{b, a}));

    second->addChildViewController(a);
    EXPECT_EQ(first->childViewControllers(), (Controllers{b}));
    EXPECT_EQ(a->parentViewController(), second.get());

    b->removeFromParentViewController();
    EXPECT_TRUE(first->childViewControllers().empty());
    EXPECT_EQ(b->parentViewController(), nullptr);
    b->removeFromParentViewController(); // without a parent: nothing
}

TEST(ViewControllerChildren, AreReleasedWhenTheyLeaveAndMayOutliveTheirParent) {
    auto parent = std::make_shared<ViewController>();
    bool destroyed = false;
    {
        const auto child = std::make_shared<CountingController>();
        child->destroyed = &destroyed;
        parent->addChildViewController(child);
    }
    const auto outliving = std::make_shared<ViewController>();
    parent->addChildViewController(outliving);
    parent->childViewControllers().front()->removeFromParentViewController();
    EXPECT_TRUE(destroyed);
    parent.reset();
    EXPECT_EQ(outliving->parentViewController(), nullptr);
}

TEST(ViewControllerChildren, RefusesCyclesAndNothing) {
    const auto parent = std::make_shared<ViewController>();
    const auto child = std::make_shared<ViewController>();
    parent->addChildViewController(child);
    EXPECT_THROW(child->addChildViewController(parent), std::invalid_argument);
    EXPECT_THROW(child->addChildViewController(child), std::invalid_argument);
    EXPECT_THROW(child->addChildViewController(nullptr), std::invalid_argument);
    EXPECT_EQ(child->parentViewController(), parent.get());
}

void pin(const std::shared_ptr<PlatformView>& view, const std::shared_ptr<PlatformView>& to,
         std::vector<AnchorEdge> edges) {
    view->setTranslatesAutoresizingMaskIntoConstraints(false);
    for (const AnchorEdge edge : edges) {
        switch (edge) {
        case AnchorEdge::top:
            view->topAnchor().constraintEqualToAnchor(to->topAnchor())->setActive(true);
            break;
        case AnchorEdge::leading:
            view->leadingAnchor().constraintEqualToAnchor(to->leadingAnchor())->setActive(true);
            break;
        case AnchorEdge::trailing:
            view->trailingAnchor().constraintEqualToAnchor(to->trailingAnchor())->setActive(true);
            break;
        case AnchorEdge::bottom:
            view->bottomAnchor().constraintEqualToAnchor(to->bottomAnchor())->setActive(true);
            break;
        }
    }
}

const std::vector<AnchorEdge> allEdges{AnchorEdge::top, AnchorEdge::leading, AnchorEdge::trailing,
                                       AnchorEdge::bottom};

struct FillCase {
    const char* name;
    std::vector<AnchorEdge> edges;
    bool toGrandparent;      // pinned to the superview's superview instead
    bool stillTranslating;   // the child's autoresizing mask still turned into constraints
    bool fills;
};

class FillsSuperview : public ::testing::TestWithParam<FillCase> {};

TEST_P(FillsSuperview, OnlyWhenPinnedToItOnAllFourEdgesByConstraints) {
    const FillCase& arrangement = GetParam();
    const auto grandparent = PlatformView::make();
    const auto parent = PlatformView::make();
    const auto child = PlatformView::make();
    grandparent->addSubview(parent);
    parent->addSubview(child);
    pin(child, arrangement.toGrandparent ? grandparent : parent, arrangement.edges);
    child->setTranslatesAutoresizingMaskIntoConstraints(arrangement.stillTranslating);
    EXPECT_EQ(child->fillsSuperview(), arrangement.fills);
}

using enum AnchorEdge;

INSTANTIATE_TEST_SUITE_P(
    Arrangements, FillsSuperview,
    ::testing::Values(FillCase{"AllEdges", allEdges, false, false, true},
                      FillCase{"NoTop", {leading, trailing, bottom}, false, false, false},
                      FillCase{"NoLeading", {top, trailing, bottom}, false, false, false},
                      FillCase{"NoTrailing", {top, leading, bottom}, false, false, false},
                      FillCase{"NoBottom", {top, leading, trailing}, false, false, false},
                      FillCase{"ToAnotherAncestor", allEdges, true, false, false},
                      FillCase{"StillTranslatingItsMask", allEdges, false, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LayoutConstraints, PinsHeldByTheSuperviewCountAsWell) {
    const auto parent = PlatformView::make();
    const auto child = PlatformView::make();
    parent->addSubview(child);
    child->setTranslatesAutoresizingMaskIntoConstraints(false);
    pin(parent, child, allEdges);
    parent->setTranslatesAutoresizingMaskIntoConstraints(true);
    EXPECT_TRUE(child->fillsSuperview());
}

TEST(LayoutConstraints, RemovingAViewDeactivatesItsConstraintsToTheOldHierarchy) {
    const auto parent = PlatformView::make();
    const auto child = PlatformView::make();
    const auto inner = PlatformView::make();
    parent->addSubview(child);
    child->addSubview(inner);
    pin(child, parent, allEdges);
    pin(inner, child, allEdges);
    pin(parent, inner, {AnchorEdge::top});
    const auto held = child->constraints();

    child->removeFromSuperview();
    EXPECT_TRUE(parent->subviews().empty());
    EXPECT_EQ(child->superview(), nullptr);
    EXPECT_TRUE(child->constraints().empty());
    EXPECT_TRUE(parent->constraints().empty());
    for (const auto& constraint : held)
        EXPECT_FALSE(constraint->isActive());
    EXPECT_EQ(inner->constraints().size(), 4u); // within the removed view: kept
    EXPECT_TRUE(inner->fillsSuperview());

    parent->addSubview(child);
    EXPECT_FALSE(child->fillsSuperview());
}

TEST(LayoutConstraints, MovingAViewToAnotherSuperviewTakesItFromTheFirst) {
    const auto first = PlatformView::make();
    const auto second = PlatformView::make();
    const auto child = PlatformView::make();
    first->addSubview(child);
    pin(child, first, allEdges);
    second->addSubview(child);
    EXPECT_TRUE(first->subviews().empty());
    EXPECT_EQ(child->superview(), second);
    EXPECT_TRUE(child->constraints().empty());
}

TEST(LayoutConstraints, CannotBeActivatedBetweenViewsOfDifferentHierarchies) {
    const auto a = PlatformView::make();
    const auto b = PlatformView::make();
    const auto constraint = a->topAnchor().constraintEqualToAnchor(b->topAnchor());
    EXPECT_THROW(constraint->setActive(true), std::logic_error);
    EXPECT_FALSE(constraint->isActive());

    std::shared_ptr<LayoutConstraint> orphan;
    {
        const auto gone = PlatformView::make();
        orphan = a->leadingAnchor().constraintEqualToAnchor(gone->leadingAnchor());
    }
    EXPECT_THROW(orphan->setActive(true), std::logic_error);
}

TEST(PlatformViews, RefuseToContainThemselvesOrTheirSuperviews) {
    const auto parent = PlatformView::make();
    const auto child = PlatformView::make();
    parent->addSubview(child);
    EXPECT_THROW(child->addSubview(parent), std::invalid_argument);
    EXPECT_THROW(child->addSubview(child), std::invalid_argument);
    EXPECT_THROW(child->addSubview(nullptr), std::invalid_argument);
    EXPECT_EQ(parent->subviews().size(), 1u);
}

class EmptyView : public View {
public:
    Node body() override { return spacer(); }
};

// What a plug-in's view controller does each time it configures its hosted view.
void host(ViewController& owner, std::shared_ptr<HostingController>& hosted) {
    if (hosted) {
        hosted->removeFromParentViewController();
        hosted->view()->removeFromSuperview();
    }
    auto next = std::make_shared<HostingController>(std::make_shared<EmptyView>());
    owner.addChildViewController(next);
    next->view()->setFrame(owner.view()->bounds());
    owner.view()->addSubview(next->view());
    hosted = next;
    pin(next->view(), owner.view(), allEdges);
}

TEST(HostedViews, ConfiguringTwiceLeavesOneHostedViewThatFillsItsOwner) {
    const auto owner = std::make_shared<ViewController>();
    owner->view()->setFrame({0, 0, 340, 500});
    std::shared_ptr<HostingController> hosted;
    host(*owner, hosted);
    const std::weak_ptr<HostingController> firstHosted = hosted;
    host(*owner, hosted);

    EXPECT_TRUE(firstHosted.expired());
    ASSERT_EQ(owner->childViewControllers().size(), 1u);
    EXPECT_EQ(owner->childViewControllers().front(), hosted);
    ASSERT_EQ(owner->view()->subviews().size(), 1u);
    EXPECT_EQ(owner->view()->subviews().front(), hosted->view());
    EXPECT_TRUE(hosted->view()->fillsSuperview());
    EXPECT_EQ(hosted->view()->frame(), (Rect{0, 0, 340, 500}));
}

TEST(HostedViews, AHostingControllerNeedsARootView) {
    EXPECT_THROW(HostingController(nullptr), std::invalid_argument);
}

} // namespace
