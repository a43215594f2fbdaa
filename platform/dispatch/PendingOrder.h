#pragma once
// A threaded queue's waiting work in the order it runs: by deadline, ties in submission order.
// Entries that arrive no earlier than the last one to arrive wait in a ring, the rest in a heap.
// Hundreds of timers of one interval take their turns in order and queue their next ticks in
// order too, so their entries all pass through the ring: a copy each, where a walk down the heap
// found most of its levels out of the cache.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/dispatch/Executor.h"

namespace platform {

struct PendingEntry {
    TimePoint deadline;
    std::uint64_t sequence; // increases with every entry a queue takes
    std::uint32_t slot;     // where what it runs waits
    const QueuedTask* task; // null for plain work; fetched into the cache ahead of its turn

    bool runsBefore(const PendingEntry& other) const {
        return deadline < other.deadline || (deadline == other.deadline && sequence < other.sequence);
    }
};

class PendingOrder {
public:
    bool empty() const { return ringCount_ == 0 && heap_.empty(); }

    // The entry that runs next. Not empty.
    const PendingEntry& front() const { return ringGoesFirst() ? ring_[ringHead_] : heap_.front(); }

    // `entry` carries a sequence greater than every earlier entry's. Allocates only to grow.
    void push(const PendingEntry& entry) {
        if (ringCount_ == 0 || entry.deadline >= ringBack().deadline) {
            if (ringCount_ == ring_.size()) growRing();
            ring_[(ringHead_ + ringCount_++) & (ring_.size() - 1)] = entry;
            return;
        }
        heap_.push_back(entry);
        std::push_heap(heap_.begin(), heap_.end(), RunsLater());
    }

    // Removes and returns the entry that runs next. Not empty.
    PendingEntry pop() {
        if (ringGoesFirst()) {
            const PendingEntry next = ring_[ringHead_];
            ringHead_ = (ringHead_ + 1) & (ring_.size() - 1);
            --ringCount_;
            return next;
        }
        std::pop_heap(heap_.begin(), heap_.end(), RunsLater());
        const PendingEntry next = heap_.back();
        heap_.pop_back();
        return next;
    }

    void clear() {
        heap_.clear();
        ringHead_ = 0;
        ringCount_ = 0;
    }

private:
    struct RunsLater {
        bool operator()(const PendingEntry& a, const PendingEntry& b) const { return b.runsBefore(a); }
    };

    bool ringGoesFirst() const {
        return ringCount_ != 0 && (heap_.empty() || ring_[ringHead_].runsBefore(heap_.front()));
    }

    const PendingEntry& ringBack() const { return ring_[(ringHead_ + ringCount_ - 1) & (ring_.size() - 1)]; }

    // Doubles the ring (a power of two in size), oldest entry first.
    void growRing() {
        std::vector<PendingEntry> grown(std::max<std::size_t>(16, 2 * ring_.size()));
        for (std::size_t i = 0; i < ringCount_; ++i)
            grown[i] = ring_[(ringHead_ + i) & (ring_.size() - 1)];
        ring_.swap(grown);
        ringHead_ = 0;
    }

    std::vector<PendingEntry> heap_;
    std::vector<PendingEntry> ring_;
    std::size_t ringHead_ = 0;
    std::size_t ringCount_ = 0;
};

} // namespace platform
