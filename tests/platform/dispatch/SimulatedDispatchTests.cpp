#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dispatch/DispatchSourceTimer.h"
#include "platform/sim/SimulatedPlatform.h"

using namespace platform;

namespace {

class SimulatedDispatch : public ::testing::Test {
protected:
    double nowMs() const { return std::chrono::duration<double, std::milli>(sim.now()).count(); }

    SimulatedPlatform sim;
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
    sim.advance(milliseconds(10));
    EXPECT_EQ(order, (std::vector<std::string>{"global-now", "global-1", "main-1", "main-late"}));
    EXPECT_DOUBLE_EQ(nowMs(), 10.0);
}

TEST_F(SimulatedDispatch, AsyncAfterQueuedBeforeATickRunsFirstAtTheSameDeadline) {
    std::vector<std::string> order;
    const auto main = DispatchQueue::main();
    main.asyncAfter(milliseconds(20), [&] { order.push_back("after"); });
    auto timer = DispatchSourceTimer::make(main);
    timer->schedule(milliseconds(10), milliseconds(10));
    timer->setEventHandler([&] { order.push_back("tick " + std::to_string(static_cast<int>(nowMs()))); });
    timer->resume();
    sim.advance(milliseconds(20));
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
    sim.advance(seconds(1));
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(sim.executor().pendingCount(), 0u);
}

TEST_F(SimulatedDispatch, CancelBeforeTheFirstTickRunsNothingAndResumeTwiceTicksOnce) {
    int ticks = 0;
    auto timer = DispatchSourceTimer::make(DispatchQueue::main());
    timer->schedule(milliseconds(10), milliseconds(10));
    timer->setEventHandler([&] { ++ticks; });
    timer->resume();
    timer->resume();
    sim.advance(milliseconds(10));
    EXPECT_EQ(ticks, 1);
    timer->cancel();
    sim.advance(seconds(1));
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
    sim.runDue();
    EXPECT_TRUE(nested);
}

} // namespace
