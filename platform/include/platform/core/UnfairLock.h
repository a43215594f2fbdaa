#pragma once
// A short, unfair lock for a copy or a store shared with the render thread. Never a mutex:
// an uncontended take is one atomic exchange and makes no system call.

#include <atomic>
#include <mutex>

namespace platform {

class UnfairLock {
public:
    // [any] Spins briefly, then yields; never allocates.
    void lock() noexcept;
    bool try_lock() noexcept { return !locked_.exchange(true, std::memory_order_acquire); }
    void unlock() noexcept { locked_.store(false, std::memory_order_release); }

private:
    std::atomic<bool> locked_{false};
};

using UnfairLockGuard = std::lock_guard<UnfairLock>;

} // namespace platform
