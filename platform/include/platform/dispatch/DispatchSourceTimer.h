#pragma once
// A repeating timer source on a dispatch queue. Ticks fall at deadline + k * interval (no drift);
// missed ticks are coalesced into one. The handler never overlaps itself, and cancelling from
// inside the handler stops the ticks that follow.
//
// Lifecycle: make, schedule, setEventHandler, resume; cancel once done. A timer that is dropped
// without cancel keeps ticking until it is cancelled, as on the real platform.

#include <atomic>
#include <memory>
#include <mutex>

#include "platform/dispatch/DispatchQueue.h"

namespace platform {

class DispatchSourceTimer : public QueuedTask, public std::enable_shared_from_this<DispatchSourceTimer> {
public:
    static std::shared_ptr<DispatchSourceTimer> make(DispatchQueue queue); // [any]

    // First tick `deadline` from now, then every `interval`. [any, before resume]
    void schedule(Duration deadline, Duration interval, Duration leeway = Duration::zero());
    void setEventHandler(Work handler); // [any, before resume]
    // A handler that runs `tick` on `target` while it exists and does nothing once it is gone,
    // kept in the timer itself: with hundreds of timers, a tick then reads one object less than
    // through a Work holding `target`. [any, before resume]
    template <auto tick, typename T> void setEventHandler(std::weak_ptr<T> target) {
        std::lock_guard guard(mutex_);
        handler_ = nullptr;
        target_ = std::move(target);
        targetTick_ = [](void* object) { (static_cast<T*>(object)->*tick)(); };
    }
    void resume();                      // [any] Starts the ticks; a second resume does nothing.
    void cancel();                      // [any] No handler starts after this returns.
    bool isCancelled() const { return cancelled_.load(std::memory_order_acquire); }

private:
    explicit DispatchSourceTimer(DispatchQueue queue) : queue_(std::move(queue)) {}
    void scheduleNextTick();
    void run() override; // one tick

    // What a tick reads lies together, ahead of what only setting up reads.
    std::atomic<bool> cancelled_{false};
    std::int64_t nextTick_ = 0; // written only by the ticks, which never overlap
    TimePoint start_{};
    Duration interval_{};
    std::weak_ptr<void> target_;
    void (*targetTick_)(void* target) = nullptr;
    Work handler_;
    DispatchQueue queue_;
    std::mutex mutex_;
    bool resumed_ = false;
};

} // namespace platform
