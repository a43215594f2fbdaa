#include "platform/dispatch/DispatchSourceTimer.h"

#include <algorithm>

namespace platform {

std::shared_ptr<DispatchSourceTimer> DispatchSourceTimer::make(DispatchQueue queue) {
    return std::shared_ptr<DispatchSourceTimer>(new DispatchSourceTimer(std::move(queue)));
}

void DispatchSourceTimer::schedule(Duration deadline, Duration interval, Duration /*leeway*/) {
    std::lock_guard guard(mutex_);
    start_ = dispatchNow() + deadline;
    interval_ = interval;
}

void DispatchSourceTimer::setEventHandler(Work handler) {
    std::lock_guard guard(mutex_);
    handler_ = std::move(handler);
}

void DispatchSourceTimer::resume() {
    {
        std::lock_guard guard(mutex_);
        if (resumed_) return;
        resumed_ = true;
    }
    scheduleNextTick();
}

void DispatchSourceTimer::cancel() {
    cancelled_.store(true, std::memory_order_release);
}

void DispatchSourceTimer::scheduleNextTick() {
    // The queued tick keeps the source alive, so a resumed timer runs until cancelled. It holds
    // nothing else, so that queueing it allocates no more than the queue itself does.
    queue_.backend()->enqueue(start_ + interval_ * nextTick_, [self = shared_from_this()] { self->fire(); });
}

void DispatchSourceTimer::fire() {
    if (isCancelled()) return;
    // The handler is fixed before resume and ticks of one source never overlap: no lock needed.
    if (handler_) handler_();
    if (isCancelled() || interval_ <= Duration::zero()) return;
    // Ticks that a late queue missed are coalesced into the next one that still lies ahead.
    const std::int64_t due = (dispatchNow() - start_) / interval_ + 1;
    nextTick_ = std::max(nextTick_ + 1, due);
    scheduleNextTick();
}

} // namespace platform
