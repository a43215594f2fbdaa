#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/dispatch/DispatchSourceTimer.h"
#include "platform/dispatch/RunLoopTimer.h"
#include "platform/dispatch/SimulatedExecutor.h"

using namespace platform;

namespace {

// Dispatch needs nothing of the platform but its executor.
class SimulatedDispatch : public ::testing::Test {
protected:
    SimulatedDispatch() {
        services_.executor = &executor_;
        previous_ = Platform::install(&services_);
    }
    ~SimulatedDispatch() override { Platform::install(previous_); }

    double nowMs() const { return std::chrono::duration<double, std::milli>(executor_.now()).count(); }

    SimulatedExecutor executor_;
    Platform services_;
    const Platform* previous_ = nullptr;
};

TEST_F(SimulatedDispatch, SameDeadlineRunsInSubmissionOrderAcrossQueues) {
    std::vector<std::string> order;
    const auto main = DispatchQueue::main();
    const auto global = DispatchQueue::global(QualityOfService::utility);
    main.asyncAfter(milliseconds(5), [&] { order.push_back("main-late"); });
    global.asyncAfter(milliseconds(1), [&] { order.push_back("global-1"); });
    main.asyncAfter(milliseconds(1), [&] { order.push_back("main-1"); });
    global.async([&] { order.push_back("global-now"); });
    EXPECT_TRUE(order.empty()) << "nothing runs until time is advanced";
    executor_.advance(milliseconds(10));
    EXPECT_EQ(order, (std::vector<std::string>{"global-now", "global-1", "main-1", "main-late"}));
    EXPECT_DOUBLE_EQ(nowMs(), 10.0);
}

TEST_F(SimulatedDispatch, WorkSeesItsDeadlineAsNowAndWorkItQueuesRunsInTheSameAdvance) {
    std::vector<double> times;
    DispatchQueue::main().asyncAfter(milliseconds(10), [&] {
        times.push_back(nowMs());
        DispatchQueue::main().asyncAfter(milliseconds(10), [&] { times.push_back(nowMs()); });
    });
    executor_.advance(milliseconds(20));
    EXPECT_EQ(times, (std::vector<double>{10.0, 20.0}));
}

TEST_F(SimulatedDispatch, TimerTicksWithoutDrift) {
    std::vector<double> ticks;
    auto timer = DispatchSourceTimer::make(DispatchQueue::global(QualityOfService::utility));
    timer->schedule(seconds(0.5), milliseconds(10));
    timer->setEventHandler([&] { ticks.push_back(nowMs()); });
    timer->resume();
    executor_.advance(seconds(10.5));
    ASSERT_EQ(ticks.size(), 1001u);
    EXPECT_DOUBLE_EQ(ticks.front(), 500.0);
    EXPECT_DOUBLE_EQ(ticks[100], 1500.0);
    EXPECT_DOUBLE_EQ(ticks.back(), 10500.0);
    timer->cancel();
}

TEST_F(SimulatedDispatch, AsyncAfterQueuedBeforeATickRunsFirstAtTheSameDeadline) {
    std::vector<std::string> order;
    const auto main = DispatchQueue::main();
    main.asyncAfter(milliseconds(20), [&] { order.push_back("after"); });
    auto timer = DispatchSourceTimer::make(main);
    timer->schedule(milliseconds(10), milliseconds(10));
    timer->setEventHandler([&] { order.push_back("tick " + std::to_string(static_cast<int>(nowMs()))); });
    timer->resume();
    executor_.advance(milliseconds(20));
    // The 20 ms tick is queued by the 10 ms tick, after the asyncAfter was.
    EXPECT_EQ(order, (std::vector<std::string>{"tick 10", "after", "tick 20"}));
    timer->cancel();
}

TEST_F(SimulatedDispatch, CancelInsideTheHandlerStopsTheTicksThatFollow) {
    int ticks = 0;
    auto timer = DispatchSourceTimer::make(DispatchQueue::main());
    timer->schedule(milliseconds(10), milliseconds(10));
    timer->setEventHandler([&] {
        if (++ticks == 3) timer->cancel();
    });
    timer->resume();
    executor_.advance(seconds(1));
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(executor_.pendingCount(), 0u);
}

TEST_F(SimulatedDispatch, CancelBeforeTheFirstTickRunsNothingAndResumeTwiceTicksOnce) {
    int ticks = 0;
    auto timer = DispatchSourceTimer::make(DispatchQueue::main());
    timer->schedule(milliseconds(10), milliseconds(10));
    timer->setEventHandler([&] { ++ticks; });
    timer->resume();
    timer->resume();
    executor_.advance(milliseconds(10));
    EXPECT_EQ(ticks, 1);
    timer->cancel();
    executor_.advance(seconds(1));
    EXPECT_EQ(ticks, 1);
}

TEST_F(SimulatedDispatch, SyncRunsAtOnceAndOnTheTargetQueue) {
    const auto main = DispatchQueue::main();
    bool onMain = false;
    main.sync([&] { onMain = main.isCurrent(); });
    EXPECT_TRUE(onMain);
    EXPECT_FALSE(main.isCurrent());

    bool nested = false;
    main.async([&] { main.sync([&] { nested = main.isCurrent(); }); });
    executor_.runDue();
    EXPECT_TRUE(nested);
}

TEST_F(SimulatedDispatch, RunLoopTimerPollsUntilInvalidated) {
    int polls = 0;
    auto timer = RunLoopTimer::scheduledRepeating(milliseconds(100), [&] { ++polls; });
    executor_.advance(milliseconds(350));
    EXPECT_EQ(polls, 3);
    timer->invalidate();
    EXPECT_FALSE(timer->isValid());
    executor_.advance(seconds(1));
    EXPECT_EQ(polls, 3);
}

} // namespace
