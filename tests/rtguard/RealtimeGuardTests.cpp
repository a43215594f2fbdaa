// The guard's own counting: each kind of call it must see, and what it must not. That it ignores
// other threads shows in the monitor's thread test, where its render thread stays clean while
// the others allocate.

#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <unistd.h>

#include "platform/core/UnfairLock.h"
#include "rtguard/RealtimeGuard.h"

namespace {

using platform_test::RealtimeGuard;

void* volatile sink = nullptr; // keeps the compiler from eliding allocation pairs

struct Counts {
    long allocations, frees, mutexLocks, systemCalls;
    friend bool operator==(const Counts&, const Counts&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Counts& c) {
        return out << c.allocations << " allocations, " << c.frees << " frees, " << c.mutexLocks
                   << " mutex locks, " << c.systemCalls << " system calls";
    }
};

struct GuardCase {
    const char* name;
    void (*action)();
    Counts counted;
};

class RealtimeGuardCounts : public ::testing::TestWithParam<GuardCase> {};

TEST_P(RealtimeGuardCounts, CountsWhatTheRenderPathMustNotDo) {
    if (!RealtimeGuard::available()) GTEST_SKIP() << "allocator is replaced by the sanitizer";
    RealtimeGuard guard;
    GetParam().action();
    EXPECT_EQ((Counts{guard.allocations(), guard.frees(), guard.mutexLocks(), guard.systemCalls()}),
              GetParam().counted);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, RealtimeGuardCounts,
    ::testing::Values(
        GuardCase{"NewAndDelete", [] { sink = new int(1); delete static_cast<int*>(sink); }, {1, 1, 0, 0}},
        GuardCase{"ArrayNewAndDelete", [] { sink = new int[4]; delete[] static_cast<int*>(sink); }, {1, 1, 0, 0}},
        GuardCase{"MallocAndFree", [] { sink = std::malloc(8); std::free(sink); }, {1, 1, 0, 0}},
        GuardCase{"CallocReallocAndFree", [] { sink = std::calloc(2, 8); sink = std::realloc(sink, 64); std::free(sink); }, {2, 1, 0, 0}},
        GuardCase{"AlignedAllocAndFree", [] { sink = std::aligned_alloc(64, 64); std::free(sink); }, {1, 1, 0, 0}},
        GuardCase{"AStringThatAllocates", [] { sink = new std::string(100, 'x'); delete static_cast<std::string*>(sink); }, {2, 2, 0, 0}},
        GuardCase{"FreeOfNull", [] { std::free(nullptr); }, {0, 0, 0, 0}},
        GuardCase{"MutexLock", [] { static std::mutex mutex; std::lock_guard lock(mutex); }, {0, 0, 1, 0}},
        GuardCase{"UnfairLock", [] { static platform::UnfairLock lock; platform::UnfairLockGuard guard(lock); }, {0, 0, 0, 0}},
        GuardCase{"Sleep", [] { ::usleep(0); }, {0, 0, 0, 1}},
        GuardCase{"Yield", [] { ::sched_yield(); }, {0, 0, 0, 1}},
        GuardCase{"Write", [] { sink = reinterpret_cast<void*>(::write(-1, "", 0)); }, {0, 0, 0, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RealtimeGuard, StopsCountingWhenItGoesAndStartsAfreshWithTheNext) {
    if (!RealtimeGuard::available()) GTEST_SKIP() << "allocator is replaced by the sanitizer";
    {
        RealtimeGuard guard;
        sink = new int(3);
        EXPECT_EQ(guard.allocations(), 1);
    }
    delete static_cast<int*>(sink);
    RealtimeGuard fresh;
    EXPECT_EQ(fresh.allocations() + fresh.frees(), 0);
}

} // namespace
