#include "platform/dispatch/ThreadedExecutor.h"

#include <condition_variable>
#include <thread>
#include <utility>
#include <vector>

#include "PendingOrder.h"

namespace platform {

namespace {
thread_local const SerialQueue* runningQueue = nullptr;
// On a queue's thread: the queue's last reading of the clock.
thread_local std::chrono::steady_clock::time_point queueReading;

// Timed work on the lower service classes may run this much late, so that a thread woken for one
// deadline runs everything falling due shortly after it: hundreds of 10 ms timers then cost a
// wake-up per millisecond instead of one each.
Duration coalescingWindow(QualityOfService qos) {
    return qos >= QualityOfService::utility ? milliseconds(1) : Duration::zero();
}
} // namespace

class ThreadedExecutor::Queue final : public SerialQueue {
public:
    Queue(const ThreadedExecutor& executor, std::string label, Duration coalescingWindow)
        : executor_(executor), label_(std::move(label)), coalescingWindow_(coalescingWindow),
          thread_([this] { run(); }) {}

    ~Queue() override { stop(); }

    void enqueue(TimePoint deadline, Work work) override { add(deadline, {std::move(work), nullptr}); }

    void enqueueTask(TimePoint deadline, std::shared_ptr<QueuedTask> task) override {
        add(deadline, {nullptr, std::move(task)});
    }

    void runSync(Work work) override {
        if (isCurrent()) {
            work();
            return;
        }
        std::mutex doneMutex;
        std::condition_variable doneSignal;
        bool done = false;
        enqueue(executor_.now(), [&] {
            work();
            std::lock_guard guard(doneMutex);
            done = true;
            doneSignal.notify_one();
        });
        std::unique_lock lock(doneMutex);
        doneSignal.wait(lock, [&] { return done; });
    }

    bool isCurrent() const override { return runningQueue == this; }
    const std::string& label() const override { return label_; }

    void stop() {
        {
            std::lock_guard guard(mutex_);
            if (stopping_) return;
            stopping_ = true;
        }
        wake_.notify_one();
        if (thread_.joinable()) thread_.join();
        std::vector<Queued> dropped;
        std::lock_guard guard(mutex_);
        takeOwnAdditions();
        pending_.clear();
        freeSlots_.clear();
        dropped.swap(slots_);
    }

private:
    // The order holds small plain entries and what they run waits in a slot of its own:
    // hundreds of timers' ticks then cost a few copies of 32 bytes each, where moving the work
    // itself cost most of a tick. Neither allocates once grown to the queue's depth.
    struct Queued { // one of the two is set
        Work work;
        std::shared_ptr<QueuedTask> task;
    };

    void add(TimePoint deadline, Queued queued) {
        // What the queue gives itself, a timer's next tick above all, joins the order when the
        // queue next takes its lock: no lock and no wake-up of its own.
        if (isCurrent()) {
            ownAdditions_.push_back({deadline, std::move(queued)});
            return;
        }
        {
            std::lock_guard guard(mutex_);
            push(deadline, std::move(queued));
        }
        wake_.notify_one();
    }

    void push(TimePoint deadline, Queued queued) {
        const QueuedTask* task = queued.task.get();
        pending_.push({deadline, nextSequence_++, store(std::move(queued)), task});
    }

    void takeOwnAdditions() {
        for (auto& [deadline, queued] : ownAdditions_)
            push(deadline, std::move(queued));
        ownAdditions_.clear();
    }

    std::uint32_t store(Queued queued) {
        if (freeSlots_.empty()) {
            slots_.push_back(std::move(queued));
            return static_cast<std::uint32_t>(slots_.size() - 1);
        }
        const std::uint32_t slot = freeSlots_.back();
        freeSlots_.pop_back();
        slots_[slot] = std::move(queued);
        return slot;
    }

    Queued takeNext() {
        const std::uint32_t slot = pending_.pop().slot;
        freeSlots_.push_back(slot);
        return std::move(slots_[slot]);
    }

    void run() {
        runningQueue = this;
        std::unique_lock lock(mutex_);
        TimePoint now = readClock();
        while (!stopping_) {
            if (pending_.empty()) {
                wake_.wait(lock);
                continue;
            }
            // What was due at the last reading of the clock is due still: a batch of ticks
            // reads it once rather than once each.
            const TimePoint deadline = pending_.front().deadline;
            if (deadline > now && deadline > (now = readClock())) {
                wake_.wait_until(lock, executor_.start_ + deadline + coalescingWindow_);
                continue;
            }
            Queued next = takeNext();
            // A timer's tick finds its source out of the cache when hundreds take turns: the
            // next one's comes in while this one runs.
            if (!pending_.empty() && pending_.front().task != nullptr) prefetchTask(pending_.front().task);
            lock.unlock();
            if (next.task) next.task->run();
            else next.work();
            next = {}; // released outside the lock: a destructor may enqueue
            lock.lock();
            takeOwnAdditions();
        }
    }

    TimePoint readClock() {
        queueReading = std::chrono::steady_clock::now();
        return executor_.since(queueReading);
    }

    static void prefetchTask(const QueuedTask* task) {
        // The first two lines hold what a timer's tick reads of its source.
        __builtin_prefetch(task);
        __builtin_prefetch(reinterpret_cast<const char*>(task) + 64);
    }

    const ThreadedExecutor& executor_;
    std::string label_;
    const Duration coalescingWindow_;
    std::mutex mutex_;
    std::condition_variable wake_;
    PendingOrder pending_;
    std::vector<Queued> slots_;
    std::vector<std::uint32_t> freeSlots_;
    std::vector<std::pair<TimePoint, Queued>> ownAdditions_; // the queue's thread only
    std::uint64_t nextSequence_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

ThreadedExecutor::ThreadedExecutor()
    : start_(std::chrono::steady_clock::now()), main_(startQueue("main", Duration::zero())) {}

ThreadedExecutor::~ThreadedExecutor() {
    for (auto& queue : queues_)
        queue->stop();
}

TimePoint ThreadedExecutor::now() const {
    return since(std::chrono::steady_clock::now());
}

TimePoint ThreadedExecutor::recentNow() const {
    return runningQueue != nullptr ? since(queueReading) : now();
}

TimePoint ThreadedExecutor::since(std::chrono::steady_clock::time_point reading) const {
    return std::chrono::duration_cast<Duration>(reading - start_);
}

std::shared_ptr<SerialQueue> ThreadedExecutor::globalQueue(QualityOfService qos) {
    std::lock_guard guard(mutex_);
    auto& queue = globals_[qos];
    if (!queue) queue = queues_.emplace_back(std::make_shared<Queue>(*this, "global", coalescingWindow(qos)));
    return queue;
}

std::shared_ptr<SerialQueue> ThreadedExecutor::makeQueue(const std::string& label) {
    return startQueue(label, Duration::zero());
}

std::shared_ptr<ThreadedExecutor::Queue> ThreadedExecutor::startQueue(const std::string& label,
                                                                      Duration coalescingWindow) {
    std::lock_guard guard(mutex_);
    return queues_.emplace_back(std::make_shared<Queue>(*this, label, coalescingWindow));
}

} // namespace platform
