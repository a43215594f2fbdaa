#pragma once
// A bounded queue that any number of threads push into and one thread drains, with the head
// readable in place: the reader may leave it there for later. Every cell carries a sequence number
// that says whose turn it is: a sender's (the cell is free for this lap) or the reader's (the
// value is written whole). Senders claim a position by compare-and-swap and never wait on one
// another: a sender preempted between its claim and its write only holds the reader up at that
// cell until it finishes.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace platform {

template <typename T, std::size_t capacity>
class MultiSenderQueue {
    static_assert(capacity >= 2 && (capacity & (capacity - 1)) == 0, "the capacity is a power of two");
    static_assert(std::is_nothrow_copy_assignable_v<T>);

public:
    MultiSenderQueue() noexcept {
        for (std::size_t index = 0; index < capacity; ++index)
            cells_[index].sequence.store(index, std::memory_order_relaxed);
    }
    MultiSenderQueue(const MultiSenderQueue&) = delete;
    MultiSenderQueue& operator=(const MultiSenderQueue&) = delete;

    // False when the queue is full. [any] Never allocates, locks or makes a system call.
    bool tryPush(const T& value) noexcept {
        std::size_t position = tail_.load(std::memory_order_relaxed);
        Cell* cell = nullptr;
        for (;;) {
            cell = &cells_[position & mask];
            const std::size_t sequence = cell->sequence.load(std::memory_order_acquire);
            const auto lead = static_cast<std::intptr_t>(sequence - position);
            if (lead == 0) {
                if (tail_.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) break;
            } else if (lead < 0) {
                return false; // the reader has not freed this cell since the last lap
            } else {
                position = tail_.load(std::memory_order_relaxed); // another sender took it
            }
        }
        cell->value = value;
        cell->sequence.store(position + 1, std::memory_order_release);
        return true;
    }

    // The oldest value, or null while there is none or its sender is still writing it. [reader]
    const T* peek() const noexcept {
        const std::size_t position = head_.load(std::memory_order_relaxed);
        const Cell& cell = cells_[position & mask];
        return cell.sequence.load(std::memory_order_acquire) == position + 1 ? &cell.value : nullptr;
    }

    // Frees the cell of the value peek() returned. [reader]
    void pop() noexcept {
        const std::size_t position = head_.load(std::memory_order_relaxed);
        cells_[position & mask].sequence.store(position + capacity, std::memory_order_release);
        head_.store(position + 1, std::memory_order_release);
    }

    // True when everything pushed, or being pushed, has been popped. [any] Only a hint while
    // others push or pop.
    bool empty() const noexcept {
        return tail_.load(std::memory_order_acquire) == head_.load(std::memory_order_acquire);
    }

private:
    static constexpr std::size_t mask = capacity - 1;
    static constexpr std::size_t lineSize = 64; // apart, so that senders and reader do not share a line

    struct Cell {
        std::atomic<std::size_t> sequence;
        T value;
    };

    alignas(lineSize) std::atomic<std::size_t> tail_{0}; // the next position a sender claims
    alignas(lineSize) std::atomic<std::size_t> head_{0}; // the reader's; atomic only for empty()
    alignas(lineSize) std::array<Cell, capacity> cells_;
};

} // namespace platform
