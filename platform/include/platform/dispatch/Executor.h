#pragma once
// The backend behind every dispatch queue: simulated (virtual clock) or threaded (real threads).
// Every queue is serial: its work runs one item at a time, in deadline order, ties in the order
// of submission.

#include <functional>
#include <memory>
#include <string>

#include "platform/dispatch/Time.h"

namespace platform {

using Work = std::function<void()>;

enum class QualityOfService { userInteractive, userInitiated, utility, background };

// Work that is queued as the shared object itself rather than wrapped: a timer's tick, which a
// queue then holds without allocating. The queue keeps the object alive until it has run.
class QueuedTask {
public:
    virtual ~QueuedTask() = default;
    virtual void run() = 0;
};

class SerialQueue {
public:
    virtual ~SerialQueue() = default;
    // Runs `work` on this queue once `deadline` has come. [any]
    virtual void enqueue(TimePoint deadline, Work work) = 0;
    // The same for a task, in the same order as work queued alongside it. [any]
    virtual void enqueueTask(TimePoint deadline, std::shared_ptr<QueuedTask> task) {
        enqueue(deadline, [task = std::move(task)] { task->run(); });
    }
    // Runs `work` on this queue and returns when it has run; called on this queue itself it runs
    // at once rather than wait on itself. [any]
    virtual void runSync(Work work) = 0;
    // Whether the calling code is running on this queue. [any]
    virtual bool isCurrent() const = 0;
    virtual const std::string& label() const = 0;
};

class Executor {
public:
    virtual ~Executor() = default;
    virtual TimePoint now() const = 0; // [any]
    // The clock as work running on a queue may take it: no earlier than when the queue found the
    // work due. A threaded queue answers with the reading that found it due, which spares each of
    // hundreds of timer ticks a reading of its own. [any]
    virtual TimePoint recentNow() const { return now(); }
    virtual std::shared_ptr<SerialQueue> mainQueue() = 0;
    virtual std::shared_ptr<SerialQueue> globalQueue(QualityOfService qos) = 0;
    // A private serial queue, for example a service's notification queue.
    virtual std::shared_ptr<SerialQueue> makeQueue(const std::string& label) = 0;
};

} // namespace platform
