#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>

#include "platform/core/UnfairLock.h"
#include "rtguard/RealtimeGuard.h"

using platform_test::RealtimeGuard;

namespace {

void* volatile sink = nullptr;

class RealtimeGuardTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!RealtimeGuard::available()) GTEST_SKIP() << "allocator is replaced by the sanitizer";
    }
};

TEST_F(RealtimeGuardTest, CountsAllocationsAndFreesOfEveryKind) {
    RealtimeGuard guard;
    // Through a volatile pointer, so the compiler cannot elide the pairs.
    sink = new int(1);
    delete static_cast<int*>(sink);
    sink = std::malloc(8);
    std::free(sink);
    sink = new std::string(100, 'x');
    delete static_cast<std::string*>(sink);
    EXPECT_EQ(guard.allocations(), 4);
    EXPECT_EQ(guard.frees(), 4);
}

TEST_F(RealtimeGuardTest, CountsMutexLocksAndSystemCallsButNotUnfairLocks) {
    std::mutex mutex;
    platform::UnfairLock unfair;
    RealtimeGuard guard;
    { std::lock_guard lock(mutex); }
    { platform::UnfairLockGuard lock(unfair); }
    EXPECT_EQ(guard.mutexLocks(), 1);
    ::usleep(0);
    EXPECT_EQ(guard.systemCalls(), 1);
    EXPECT_EQ(guard.allocations(), 0);
}

TEST_F(RealtimeGuardTest, IgnoresOtherThreads) {
    std::atomic<int> step{0};
    std::thread other([&] {
        while (step.load() == 0) {
        }
        delete new int(2);
        step = 2;
    });
    {
        RealtimeGuard guard;
        step = 1;
        while (step.load() != 2) {
        }
        EXPECT_EQ(guard.allocations(), 0);
    }
    other.join();
}

TEST_F(RealtimeGuardTest, StopsCountingWhenTheGuardGoes) {
    long seen = 0;
    {
        RealtimeGuard guard;
        seen = guard.allocations();
    }
    delete new int(4);
    RealtimeGuard fresh;
    EXPECT_EQ(seen, 0);
    EXPECT_EQ(fresh.allocations(), 0);
}

} // namespace
