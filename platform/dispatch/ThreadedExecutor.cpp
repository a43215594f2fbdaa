#include "platform/dispatch/ThreadedExecutor.h"

#include <condition_variable>
#include <thread>
#include <tuple>

namespace platform {

namespace {
thread_local const SerialQueue* runningQueue = nullptr;
}

class ThreadedExecutor::Queue final : public SerialQueue {
public:
    Queue(const ThreadedExecutor& executor, std::string label)
        : executor_(executor), label_(std::move(label)), thread_([this] { run(); }) {}

    ~Queue() override { stop(); }

    void enqueue(TimePoint deadline, Work work) override {
        {
            std::lock_guard guard(mutex_);
            pending_.emplace(Key{deadline, nextSequence_++}, std::move(work));
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
        std::map<Key, Work> dropped;
        std::lock_guard guard(mutex_);
        dropped.swap(pending_);
    }

private:
    using Key = std::tuple<TimePoint, std::uint64_t>;

    void run() {
        runningQueue = this;
        std::unique_lock lock(mutex_);
        while (!stopping_) {
            if (pending_.empty()) {
                wake_.wait(lock);
                continue;
            }
            const auto first = pending_.begin();
            const TimePoint deadline = std::get<0>(first->first);
            if (deadline > executor_.now()) {
                wake_.wait_until(lock, executor_.start_ + deadline);
                continue;
            }
            Work work = std::move(first->second);
            pending_.erase(first);
            lock.unlock();
            work();
            work = nullptr; // released outside the lock: its destructor may enqueue
            lock.lock();
        }
    }

    const ThreadedExecutor& executor_;
    std::string label_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::map<Key, Work> pending_;
    std::uint64_t nextSequence_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

ThreadedExecutor::ThreadedExecutor() : start_(std::chrono::steady_clock::now()), main_(startQueue("main")) {}

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
    if (!queue) queue = queues_.emplace_back(std::make_shared<Queue>(*this, "global"));
    return queue;
}

std::shared_ptr<SerialQueue> ThreadedExecutor::makeQueue(const std::string& label) {
    return startQueue(label);
}

std::shared_ptr<ThreadedExecutor::Queue> ThreadedExecutor::startQueue(const std::string& label) {
    std::lock_guard guard(mutex_);
    return queues_.emplace_back(std::make_shared<Queue>(*this, label));
}

} // namespace platform
