#include "platform/dispatch/ThreadedExecutor.h"

#include <algorithm>
#include <condition_variable>
#include <thread>
#include <tuple>
#include <vector>

namespace platform {

namespace {
thread_local const SerialQueue* runningQueue = nullptr;

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

    void enqueue(TimePoint deadline, Work work) override {
        {
            std::lock_guard guard(mutex_);
            pending_.push_back({deadline, nextSequence_++, std::move(work)});
            std::push_heap(pending_.begin(), pending_.end(), runsLater);
        }
        wake_.notify_one();
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
        std::vector<Pending> dropped;
        std::lock_guard guard(mutex_);
        dropped.swap(pending_);
    }

private:
    struct Pending {
        TimePoint deadline;
        std::uint64_t sequence;
        Work work;
    };
    // A heap rather than a tree: queueing the next tick of a timer then allocates nothing.
    static bool runsLater(const Pending& a, const Pending& b) {
        return std::tie(a.deadline, a.sequence) > std::tie(b.deadline, b.sequence);
    }

    void run() {
        runningQueue = this;
        std::unique_lock lock(mutex_);
        while (!stopping_) {
            if (pending_.empty()) {
                wake_.wait(lock);
                continue;
            }
            const TimePoint deadline = pending_.front().deadline;
            if (deadline > executor_.now()) {
                wake_.wait_until(lock, executor_.start_ + deadline + coalescingWindow_);
                continue;
            }
            std::pop_heap(pending_.begin(), pending_.end(), runsLater);
            Work work = std::move(pending_.back().work);
            pending_.pop_back();
            lock.unlock();
            work();
            work = nullptr; // released outside the lock: its destructor may enqueue
            lock.lock();
        }
    }

    const ThreadedExecutor& executor_;
    std::string label_;
    const Duration coalescingWindow_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<Pending> pending_;
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
    return std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now() - start_);
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
