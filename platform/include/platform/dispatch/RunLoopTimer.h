#pragma once
// A repeating timer on the main run loop (in its common modes), as views use for polling.

#include <memory>

#include "platform/dispatch/DispatchSourceTimer.h"

namespace platform {

class RunLoopTimer {
public:
    // Fires `block` on the main queue every `interval`, first one interval from now. [main]
    static std::shared_ptr<RunLoopTimer> scheduledRepeating(Duration interval, Work block);
    ~RunLoopTimer() { invalidate(); }
    void invalidate(); // [main] No further firing.
    bool isValid() const { return !source_->isCancelled(); }

private:
    explicit RunLoopTimer(std::shared_ptr<DispatchSourceTimer> source) : source_(std::move(source)) {}
    std::shared_ptr<DispatchSourceTimer> source_;
};

} // namespace platform
