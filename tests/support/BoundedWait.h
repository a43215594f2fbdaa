#pragma once
// How a real-thread test waits: spinning on a condition, never longer than a deadline, so that a
// hang fails the test instead of blocking the run.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace vantrel::test {

inline constexpr std::chrono::seconds realThreadDeadline{20};

// True once `condition` holds; false, with a failure naming `what`, when the deadline passes first.
template <typename Condition> bool waitFor(const Condition& condition, const char* what) {
    const auto deadline = std::chrono::steady_clock::now() + realThreadDeadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "timed out waiting for " << what;
            return false;
        }
        std::this_thread::yield();
    }
    return true;
}

} // namespace vantrel::test
