#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/dispatch/RunLoopTimer.h"
#include "platform/sim/SimulatedPlatform.h"
#include "platform/ui/HostingController.h"
#include "platform/ui/Window.h"

using namespace platform;
using namespace platform::ui;

namespace {

// Polls ten times a second while shown, as the plug-in views do.
class PollingView : public View {
public:
    explicit PollingView(std::vector<std::string>& events) : events_(events) {}

    int polls = 0;

    Node body() override { return text(std::to_string(polls)); }
    void onAppear() override {
        events_.push_back("appear");
        timer_ = RunLoopTimer::scheduledRepeating(seconds(0.1), [this] { ++polls; });
    }
    void onDisappear() override {
        events_.push_back("disappear");
        timer_.reset();
    }

private:
    std::vector<std::string>& events_;
    std::shared_ptr<RunLoopTimer> timer_;
};

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

class Hosting : public ::testing::Test {
protected:
    std::shared_ptr<HostingController> makeHosted() {
        auto view = std::make_shared<PollingView>(events);
        polling = view.get();
        return std::make_shared<HostingController>(std::move(view));
    }
    // The plug-in's controller with a hosted polling view in its view.
    std::shared_ptr<HostingController> hostIn(ViewController& owner) {
        auto hosted = makeHosted();
        owner.addChildViewController(hosted);
        owner.view()->addSubview(hosted->view());
        return hosted;
    }

    SimulatedPlatform platform;
    std::vector<std::string> events;
    PollingView* polling = nullptr;
};

TEST_F(Hosting, TheRootViewPollsOnlyWhileTheWindowIsOpenAndOpeningOrClosingTwiceChangesNothing) {
    const auto owner = std::make_shared<ViewController>();
    const auto hosted = hostIn(*owner);
    Window window(owner);
    platform.advance(seconds(1));
    window.open();
    window.open();
    platform.advance(seconds(1));
    window.close();
    window.close();
    platform.advance(seconds(1));
    window.open();
    platform.advance(seconds(0.3));
    EXPECT_EQ(polling->polls, 13);
    EXPECT_EQ(events, (std::vector<std::string>{"appear", "disappear", "appear"}));
}

TEST_F(Hosting, AHostedViewAppearsWhenItEntersAnOpenWindowAndDisappearsWhenItLeaves) {
    const auto owner = std::make_shared<ViewController>();
    Window window(owner);
    window.open();
    const auto hosted = makeHosted();
    owner->addChildViewController(hosted);
    platform.advance(seconds(1));
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(hosted->isShowing());

    owner->view()->addSubview(hosted->view());
    EXPECT_EQ(events, (std::vector<std::string>{"appear"}));
    platform.advance(seconds(0.5));
    hosted->removeFromParentViewController();
    hosted->view()->removeFromSuperview();
    platform.advance(seconds(0.5));
    EXPECT_EQ(polling->polls, 5);
    EXPECT_EQ(events, (std::vector<std::string>{"appear", "disappear"}));
}

TEST_F(Hosting, ReleasingAShownHostingControllerEndsItsViewsShowing) {
    const auto owner = std::make_shared<ViewController>();
    Window window(owner);
    window.open();
    {
        auto hosted = makeHosted();
        owner->view()->addSubview(hosted->view()); // its view stays, the controller goes
    }
    platform.advance(seconds(1));
    EXPECT_EQ(events, (std::vector<std::string>{"appear", "disappear"}));
}

TEST_F(Hosting, ControllersAppearOuterFirstAndOneLeavingWhileAppearingLeavesTheRestShowing) {
    const auto outer = std::make_shared<RecordingController>(events, "outer");
    const auto leaving = std::make_shared<RecordingController>(events, "leaving", true);
    outer->addChildViewController(leaving);
    outer->view()->addSubview(leaving->view());
    const auto hosted = hostIn(*outer);
    Window window(outer);
    window.open();
    EXPECT_FALSE(leaving->view()->isInWindow());
    EXPECT_TRUE(hosted->isShowing());
    window.close();
    EXPECT_EQ(events, (std::vector<std::string>{"outer appear", "leaving appear", "leaving disappear", "appear",
                                                "outer disappear", "disappear"}));
}

} // namespace
