#include "platform/dispatch/DispatchSourceTimer.h"

#include <algorithm>

namespace platform {

std::shared_ptr<DispatchSourceTimer> DispatchSourceTimer::make(DispatchQueue queue) {
    // Made in one block with its count, which every tick touches too.
    struct Made : DispatchSourceTimer {
        explicit Made(DispatchQueue queue) : DispatchSourceTimer(std::move(queue)) {}
    };
    return std::make_shared<Made>(std::move(queue));
}

void DispatchSourceTimer::schedule(Duration deadline, Duration interval, Duration /*leeway*/) {
    std::lock_guard guard(mutex_);
    start_ = dispatchNow() + deadline;
    interval_ = interval;
}

void DispatchSourceTimer::setEventHandler(Work handler) {
    std::lock_guard guard(mutex_);
    handler_ = std::move(handler);
    targetTick_ = nullptr;
    target_.reset();
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
    // The queued tick is the source itself and keeps it alive, so a resumed timer runs until
    // cancelled; queueing it allocates nothing.
    queue_.backend()->enqueueTask(start_ + interval_ * nextTick_, shared_from_this());
}

void DispatchSourceTimer::run() {
    if (isCancelled()) return;
    // The handler is fixed before resume and ticks of one source never overlap: no lock needed.
    if (handler_) {
        handler_();
    } else if (targetTick_ != nullptr) {
        if (const auto target = target_.lock()) targetTick_(target.get());
    }
    if (isCancelled() || interval_ <= Duration::zero()) return;
    // Ticks that a late queue missed are coalesced into the next one that lay ahead when the
    // queue found this one due.
    const std::int64_t due = (dispatchRecentNow() - start_) / interval_ + 1;
    nextTick_ = std::max(nextTick_ + 1, due);
    scheduleNextTick();
}

} // namespace platform
