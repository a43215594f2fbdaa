#pragma once
// Real time: each serial queue has a thread of its own, timed on std::chrono::steady_clock. The
// utility and background global queues coalesce timed work: it may run up to 1 ms late.

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dispatch/Executor.h"

namespace platform {

class ThreadedExecutor final : public Executor {
public:
    ThreadedExecutor();
    // Stops every queue; work not yet started is dropped.
    ~ThreadedExecutor() override;

    TimePoint now() const override;
    TimePoint recentNow() const override;
    std::shared_ptr<SerialQueue> mainQueue() override { return main_; }
    std::shared_ptr<SerialQueue> globalQueue(QualityOfService qos) override;
    std::shared_ptr<SerialQueue> makeQueue(const std::string& label) override;

private:
    class Queue;
    std::shared_ptr<Queue> startQueue(const std::string& label, Duration coalescingWindow);
    TimePoint since(std::chrono::steady_clock::time_point reading) const;

    const std::chrono::steady_clock::time_point start_;
    std::mutex mutex_;
    std::vector<std::shared_ptr<Queue>> queues_;
    std::shared_ptr<SerialQueue> main_;
    std::map<QualityOfService, std::shared_ptr<SerialQueue>> globals_;
};

} // namespace platform
