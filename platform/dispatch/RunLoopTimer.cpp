#include "platform/dispatch/RunLoopTimer.h"

namespace platform {

std::shared_ptr<RunLoopTimer> RunLoopTimer::scheduledRepeating(Duration interval, Work block) {
    auto source = DispatchSourceTimer::make(DispatchQueue::main());
    source->schedule(interval, interval);
    source->setEventHandler(std::move(block));
    source->resume();
    return std::shared_ptr<RunLoopTimer>(new RunLoopTimer(std::move(source)));
}

void RunLoopTimer::invalidate() {
    source_->cancel();
}

} // namespace platform
