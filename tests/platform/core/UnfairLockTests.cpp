#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/core/UnfairLock.h"

using namespace platform;

namespace {

TEST(UnfairLock, ExcludesAcrossThreads) {
    UnfairLock lock;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                UnfairLockGuard guard(lock);
                ++counter;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 80000);
}

TEST(UnfairLock, TryLockFailsWhileHeld) {
    UnfairLock lock;
    lock.lock();
    EXPECT_FALSE(lock.try_lock());
    lock.unlock();
    EXPECT_TRUE(lock.try_lock());
    lock.unlock();
}

} // namespace
