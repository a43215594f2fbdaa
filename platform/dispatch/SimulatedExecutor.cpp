#include "platform/dispatch/SimulatedExecutor.h"

#include <cassert>

namespace platform {

namespace {
thread_local const SerialQueue* runningQueue = nullptr;

// Marks `queue` as the one the calling code runs on, for the length of a scope.
class RunningOn {
public:
    explicit RunningOn(const SerialQueue* queue) : previous_(runningQueue) { runningQueue = queue; }
    ~RunningOn() { runningQueue = previous_; }

private:
    const SerialQueue* previous_;
};
} // namespace

class SimulatedExecutor::Queue final : public SerialQueue {
public:
    Queue(SimulatedExecutor& executor, std::string label) : executor_(executor), label_(std::move(label)) {}

    void enqueue(TimePoint deadline, Work work) override {
        executor_.enqueue(this, deadline, std::move(work));
    }
    // Under simulation one thread runs everything, so the queue is idle whenever someone
    // outside it calls: running at once keeps the serial order.
    void runSync(Work work) override {
        RunningOn running(this);
        work();
    }
    bool isCurrent() const override { return runningQueue == this; }
    const std::string& label() const override { return label_; }

private:
    SimulatedExecutor& executor_;
    std::string label_;
};

SimulatedExecutor::SimulatedExecutor() : main_(std::make_shared<Queue>(*this, "main")) {}

SimulatedExecutor::~SimulatedExecutor() {
    // Pending work may own the last references to objects whose destructors enqueue again, so
    // drop it outside the lock until nothing is left.
    for (;;) {
        std::map<Key, Item> dropped;
        {
            std::lock_guard guard(mutex_);
            if (pending_.empty()) return;
            dropped.swap(pending_);
        }
    }
}

TimePoint SimulatedExecutor::now() const {
    std::lock_guard guard(mutex_);
    return now_;
}

std::shared_ptr<SerialQueue> SimulatedExecutor::globalQueue(QualityOfService qos) {
    std::lock_guard guard(mutex_);
    auto& queue = globals_[qos];
    if (!queue) queue = std::make_shared<Queue>(*this, "global");
    return queue;
}

std::shared_ptr<SerialQueue> SimulatedExecutor::makeQueue(const std::string& label) {
    return std::make_shared<Queue>(*this, label);
}

void SimulatedExecutor::enqueue(Queue* queue, TimePoint deadline, Work work) {
    std::lock_guard guard(mutex_);
    pending_.emplace(Key{std::max(deadline, now_), nextSequence_++}, Item{queue, std::move(work)});
}

void SimulatedExecutor::advance(Duration duration) {
    TimePoint target;
    {
        std::lock_guard guard(mutex_);
        target = now_ + duration;
    }
    for (;;) {
        Item item;
        {
            std::lock_guard guard(mutex_);
            const auto first = pending_.begin();
            if (first == pending_.end() || std::get<0>(first->first) > target) break;
            now_ = std::get<0>(first->first);
            item = std::move(first->second);
            pending_.erase(first);
        }
        RunningOn running(item.queue);
        item.work();
    }
    std::lock_guard guard(mutex_);
    now_ = target;
}

std::size_t SimulatedExecutor::pendingCount() const {
    std::lock_guard guard(mutex_);
    return pending_.size();
}

} // namespace platform
