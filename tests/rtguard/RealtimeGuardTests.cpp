// The guard's own counting: each kind of call it must see, and what it must not. That it starts
// afresh shows in the meter's render branches, whose guards follow allocating set-up; that it
// ignores other threads, in the monitor's thread test, whose render thread stays clean while the
// others allocate.

#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <unistd.h>

#include "platform/core/UnfairLock.h"
#include "rtguard/RealtimeGuard.h"

namespace {

using platform_test::RealtimeGuard;

void* volatile sink = nullptr;

// Through the volatile store, so that the compiler cannot elide an allocation and its free.
template <typename T> T* kept(T* pointer) {
    sink = pointer;
    return pointer;
}

struct GuardCase {
    const char* name;
    void (*action)();
    RealtimeGuard::Counts counted;
};

class RealtimeGuardCounts : public ::testing::TestWithParam<GuardCase> {};

TEST_P(RealtimeGuardCounts, CountsWhatTheRenderPathMustNotDo) {
    if (!RealtimeGuard::available()) GTEST_SKIP() << "allocator is replaced by the sanitizer";
    RealtimeGuard guard;
    GetParam().action();
    EXPECT_EQ(guard.counts(), GetParam().counted);
}

struct alignas(64) Wide {
    char byte;
};
std::mutex mutex;
platform::UnfairLock unfairLock;

INSTANTIATE_TEST_SUITE_P(
    Calls, RealtimeGuardCounts,
    ::testing::Values(
        GuardCase{"NewAndDelete", [] { delete kept(new int(1)); }, {1, 1, 0, 0}},
        GuardCase{"ArrayNewAndDelete", [] { delete[] kept(new int[4]); }, {1, 1, 0, 0}},
        GuardCase{"AlignedNew", [] { delete kept(new Wide); }, {1, 1, 0, 0}},
        GuardCase{"MallocAndFree", [] { std::free(kept(std::malloc(8))); }, {1, 1, 0, 0}},
        GuardCase{
            "CallocRealloc", [] { std::free(std::realloc(kept(std::calloc(2, 8)), 64)); }, {2, 1, 0, 0}},
        GuardCase{"AlignedAlloc", [] { std::free(kept(std::aligned_alloc(64, 64))); }, {1, 1, 0, 0}},
        GuardCase{"String", [] { delete kept(new std::string(100, 'x')); }, {2, 2, 0, 0}},
        GuardCase{"FreeOfNull", [] { std::free(nullptr); }, {0, 0, 0, 0}},
        GuardCase{"MutexLock", [] { std::lock_guard lock(mutex); }, {0, 0, 1, 0}},
        GuardCase{"UnfairLock", [] { platform::UnfairLockGuard guard(unfairLock); }, {0, 0, 0, 0}},
        GuardCase{"Sleep", [] { ::usleep(0); }, {0, 0, 0, 1}},
        GuardCase{"Yield", [] { ::sched_yield(); }, {0, 0, 0, 1}},
        GuardCase{"Write", [] { sink = reinterpret_cast<void*>(::write(-1, "", 0)); }, {0, 0, 0, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
