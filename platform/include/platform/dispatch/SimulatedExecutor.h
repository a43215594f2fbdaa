#pragma once
// Virtual time: nothing runs until advance() lets time pass; then everything that falls due runs
// on the calling thread, in deadline order, ties in submission order. Same inputs, same order.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>

#include "platform/dispatch/Executor.h"

namespace platform {

class SimulatedExecutor final : public Executor {
public:
    SimulatedExecutor();
    ~SimulatedExecutor() override;

    TimePoint now() const override;
    std::shared_ptr<SerialQueue> mainQueue() override { return main_; }
    std::shared_ptr<SerialQueue> globalQueue(QualityOfService qos) override;
    std::shared_ptr<SerialQueue> makeQueue(const std::string& label) override;

    // Lets `duration` of virtual time pass, running all work that falls due. [test thread]
    void advance(Duration duration);
    // Runs what is due now without moving the clock.
    void runDue() { advance(Duration::zero()); }
    std::size_t pendingCount() const;

private:
    class Queue;
    friend class Queue;
    using Key = std::tuple<TimePoint, std::uint64_t>;
    struct Item {
        Queue* queue;
        Work work;
    };

    void enqueue(Queue* queue, TimePoint deadline, Work work);

    mutable std::mutex mutex_;
    TimePoint now_{};
    std::uint64_t nextSequence_ = 0;
    std::map<Key, Item> pending_;
    std::shared_ptr<SerialQueue> main_;
    std::map<QualityOfService, std::shared_ptr<SerialQueue>> globals_;
};

} // namespace platform
