// Run under thread sanitizer: these races are what the threaded executor must not have.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
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

// Work that fell due while the queue was busy runs by deadline, ties in the order queued, whether
// it was queued as work or as a task; the second round reuses the first round's places.
TEST_F(ThreadedDispatch, DueWorkRunsByDeadlineThenInTheOrderQueued) {
    const auto queue = DispatchQueue::global(QualityOfService::utility).backend();
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    std::vector<int> order; // written on the queue, read here once `done` is seen
    bool done = false;
    struct Recorder final : QueuedTask {
        Recorder(std::vector<int>& order, int index) : order(order), index(index) {}
        void run() override { order.push_back(index); }
        std::vector<int>& order;
        int index;
    };
    const int msBeforeNow[] = {5, 1, 3, 1, 9, 5, 2, 9};
    for (int round = 0; round < 2; ++round) {
        queue->enqueue(TimePoint::min(), [&] {
            std::unique_lock lock(mutex);
            changed.wait_for(lock, std::chrono::seconds(10), [&] { return open; });
        });
        const TimePoint now = dispatchNow();
        std::vector<std::pair<TimePoint, int>> expected;
        for (int index = 0; index < int(std::size(msBeforeNow)); ++index) {
            const TimePoint deadline = now - milliseconds(msBeforeNow[index]);
            expected.emplace_back(deadline, index);
            if (index % 2 == 0) queue->enqueue(deadline, [&order, index] { order.push_back(index); });
            else queue->enqueueTask(deadline, std::make_shared<Recorder>(order, index));
        }
        queue->enqueue(now, [&] {
            std::lock_guard guard(mutex);
            done = true;
            changed.notify_all();
        });
        std::unique_lock lock(mutex);
        open = true;
        changed.notify_all();
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return done; }));
        std::stable_sort(expected.begin(), expected.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<int> expectedOrder;
        for (const auto& [deadline, index] : expected)
            expectedOrder.push_back(index);
        EXPECT_EQ(order, expectedOrder) << "round " << round;
        order.clear();
        open = done = false;
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
