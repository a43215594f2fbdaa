// Run under thread sanitizer: these races are what the threaded executor must not have.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Platform.h"
#include "platform/dispatch/DispatchSourceTimer.h"
#include "platform/dispatch/ThreadedExecutor.h"

using namespace platform;

namespace {

class ThreadedDispatch : public ::testing::Test {
protected:
    ThreadedDispatch() {
        services_.executor = executor_.get();
        previous_ = Platform::install(&services_);
    }
    ~ThreadedDispatch() override {
        executor_.reset();
        Platform::install(previous_);
    }

    std::unique_ptr<ThreadedExecutor> executor_ = std::make_unique<ThreadedExecutor>();
    Platform services_;
    const Platform* previous_ = nullptr;
};

TEST_F(ThreadedDispatch, SerialQueueRunsWorkFromManyThreadsOneAtATimeInOrder) {
    const auto queue = DispatchQueue::global(QualityOfService::utility);
    int unguarded = 0; // only the serial queue touches it
    std::vector<int> perThreadOrder[4];
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t) {
        posters.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i)
                queue.async([&, t, i] {
                    ++unguarded;
                    perThreadOrder[t].push_back(i);
                });
        });
    }
    for (auto& poster : posters)
        poster.join();
    int seen = 0;
    queue.sync([&] { seen = unguarded; });
    EXPECT_EQ(seen, 800);
    for (const auto& order : perThreadOrder) {
        ASSERT_EQ(order.size(), 200u);
        for (int i = 0; i < 200; ++i)
            EXPECT_EQ(order[i], i);
    }
}

TEST_F(ThreadedDispatch, SyncOnItsOwnQueueDoesNotWaitOnItself) {
    const auto main = DispatchQueue::main();
    std::atomic<bool> ran{false};
    main.sync([&] { main.sync([&] { ran = main.isCurrent(); }); });
    EXPECT_TRUE(ran);
}

TEST_F(ThreadedDispatch, TimerTicksOnItsQueueAndStopsWhenCancelledFromItsHandler) {
    const auto queue = DispatchQueue::global(QualityOfService::utility);
    auto timer = DispatchSourceTimer::make(queue);
    std::mutex mutex;
    std::condition_variable stopped;
    int ticks = 0;
    bool allOnQueue = true;
    timer->schedule(milliseconds(1), milliseconds(1));
    timer->setEventHandler([&] {
        std::lock_guard guard(mutex);
        allOnQueue = allOnQueue && queue.isCurrent();
        if (++ticks == 5) {
            timer->cancel();
            stopped.notify_one();
        }
    });
    timer->resume();
    {
        std::unique_lock lock(mutex);
        stopped.wait(lock, [&] { return ticks >= 5; });
    }
    // Anything still queued for the timer runs before this and must not tick again.
    queue.sync([] {});
    std::lock_guard guard(mutex);
    EXPECT_EQ(ticks, 5);
    EXPECT_TRUE(allOnQueue);
}

TEST_F(ThreadedDispatch, CancelFromAnotherThreadWhileTicking) {
    auto timer = DispatchSourceTimer::make(DispatchQueue::global(QualityOfService::utility));
    std::atomic<int> ticks{0};
    timer->schedule(Duration::zero(), std::chrono::microseconds(100));
    timer->setEventHandler([&] { ++ticks; });
    timer->resume();
    while (ticks.load() < 3)
        std::this_thread::yield();
    timer->cancel();
    DispatchQueue::global(QualityOfService::utility).sync([] {});
    const int afterCancel = ticks.load();
    DispatchQueue::global(QualityOfService::utility).sync([] {});
    EXPECT_EQ(ticks.load(), afterCancel);
}

} // namespace
