#include "platform/dispatch/DispatchQueue.h"

#include "platform/Platform.h"

namespace platform {

DispatchQueue DispatchQueue::main() {
    return DispatchQueue(Platform::current().executor->mainQueue());
}

DispatchQueue DispatchQueue::global(QualityOfService qos) {
    return DispatchQueue(Platform::current().executor->globalQueue(qos));
}

void DispatchQueue::async(Work work) const {
    queue_->enqueue(dispatchNow(), std::move(work));
}

void DispatchQueue::asyncAfter(Duration delay, Work work) const {
    queue_->enqueue(dispatchNow() + delay, std::move(work));
}

void DispatchQueue::sync(Work work) const {
    queue_->runSync(std::move(work));
}

TimePoint dispatchNow() {
    return Platform::current().executor->now();
}

TimePoint dispatchRecentNow() {
    return Platform::current().executor->recentNow();
}

} // namespace platform
