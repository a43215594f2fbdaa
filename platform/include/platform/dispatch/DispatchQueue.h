#pragma once
// Dispatch queues of the platform in force: the main queue, global queues and private serial
// queues, with async, asyncAfter and sync.

#include <memory>

#include "platform/dispatch/Executor.h"

namespace platform {

class DispatchQueue {
public:
    explicit DispatchQueue(std::shared_ptr<SerialQueue> queue) : queue_(std::move(queue)) {}

    static DispatchQueue main();                                                         // [any]
    static DispatchQueue global(QualityOfService qos = QualityOfService::userInitiated); // [any]

    void async(Work work) const;                      // [any]
    void asyncAfter(Duration delay, Work work) const; // [any]
    // Blocks the caller until `work` has run on this queue; runs at once on the queue itself. [any]
    void sync(Work work) const;
    bool isCurrent() const { return queue_->isCurrent(); } // [any]

    const std::shared_ptr<SerialQueue>& backend() const { return queue_; }

private:
    std::shared_ptr<SerialQueue> queue_;
};

// The current time of the platform in force. [any]
TimePoint dispatchNow();
// The same as work running on a queue may take it (Executor::recentNow). [any]
TimePoint dispatchRecentNow();

} // namespace platform
