// The monitor's view controller and view on the live platform: a real main thread, and the test's
// thread as the render thread. No wait on the main thread lasts more than 20 s.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <set>

#include "monitor/MonitorTestBench.h"
#include "monitor/common/ui/AudioUnitViewController.h"
#include "monitor/ui/VantrelExtensionMainView.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/sim/LivePlatform.h"
#include "support/PluginComponents.h"

namespace vantrel::monitor::test {
namespace {

const platform::AudioComponentDescription description = vantrel::test::monitorComponent();

// Runs `work` on the main thread and hands back its result.
template <class Work> auto onMain(Work work) {
    auto task = std::make_shared<std::packaged_task<decltype(work())()>>(std::move(work));
    auto result = task->get_future();
    platform::DispatchQueue::main().async([task] { (*task)(); });
    if (result.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        // A main thread stuck for good would keep the platform from ever shutting down.
        std::fputs("the main thread did not answer within 20 s\n", stderr);
        std::abort();
    }
    return result.get();
}

TEST(LiveMonitor, FactoryCalledOnTheMainThreadDoesNotWaitOnItself) {
    platform::LivePlatform live;
    const auto controller = std::make_shared<AudioUnitViewController>();
    const auto unit = onMain([controller] { return controller->createAudioUnit(description); });
    // Work queued behind the view's configuration sees it done.
    EXPECT_TRUE(onMain([controller] { return controller->hostingController() != nullptr; }));
    EXPECT_EQ(controller->audioUnit(), unit);
}

TEST(LiveMonitor, ViewPollsOnTheMainThreadWhileTheRenderThreadPlays) {
    platform::LivePlatform live;
    auto unit = onMain([] {
        auto unit = VantrelExtensionAudioUnit::create(description);
        unit->allocateRenderResources();
        return unit;
    });
    auto view = onMain([&unit] {
        auto view = std::make_shared<VantrelExtensionMainView>(nullptr, unit);
        view->onAppear();
        return view;
    });
    const auto block = unit->internalRenderBlock();
    // Each value the view shows was copied by one poll: three of them prove three polls.
    std::set<int> shown;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (unsigned call = 0; shown.size() < 3 && std::chrono::steady_clock::now() < deadline; ++call) {
        EventList events;
        events.midi({0xB0, 0x01, static_cast<std::uint8_t>(call / 64 % 128)});
        render(block, events.head());
        if (call % 64 == 63) {
            const auto values = onMain([view] { return view->state().ccValues; });
            if (values.contains(1)) shown.insert(values.at(1));
        }
    }
    EXPECT_GE(shown.size(), 3u);
    onMain([view = std::move(view), unit = std::move(unit)]() mutable {
        view.reset();
        unit.reset();
        return true;
    });
}

} // namespace
} // namespace vantrel::monitor::test
