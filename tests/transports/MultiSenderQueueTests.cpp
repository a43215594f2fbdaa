#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/midi/jack/MultiSenderQueue.h"

namespace platform {
namespace {

TEST(MultiSenderQueue, RefusesWhenFullKeepsThePeekedHeadAndStaysInOrderOverManyLaps) {
    MultiSenderQueue<int, 4> queue;
    EXPECT_EQ(queue.peek(), nullptr);
    EXPECT_TRUE(queue.empty());
    int pushed = 0;
    int popped = 0;
    // Fill levels from one to full and back, so that every cell is written on several laps.
    for (int fill : {1, 4, 3, 2, 4, 1, 4, 4, 2, 3}) {
        for (int i = 0; i < fill; ++i)
            ASSERT_TRUE(queue.tryPush(pushed++));
        if (fill == 4) {
            EXPECT_FALSE(queue.tryPush(-1)) << "a full queue took one more";
        }
        EXPECT_FALSE(queue.empty());
        const int* head = queue.peek();
        ASSERT_NE(head, nullptr);
        EXPECT_EQ(queue.peek(), head) << "a peek took the head away";
        while (const int* value = queue.peek()) {
            EXPECT_EQ(*value, popped++);
            queue.pop();
        }
        EXPECT_TRUE(queue.empty());
    }
}

// Records big enough that a torn copy shows: every word repeats the sender and its count.
struct Stamped {
    std::array<std::uint32_t, 16> words;
    static Stamped make(std::uint32_t sender, std::uint32_t count) {
        Stamped stamped;
        for (std::size_t i = 0; i < stamped.words.size(); ++i)
            stamped.words[i] = i % 2 == 0 ? sender : count;
        return stamped;
    }
    std::optional<std::pair<std::uint32_t, std::uint32_t>> whole() const {
        for (std::size_t i = 2; i < words.size(); ++i) {
            if (words[i] != words[i % 2]) return std::nullopt;
        }
        return std::pair{words[0], words[1]};
    }
};

TEST(MultiSenderQueue, ConcurrentSendersLoseNothingAndKeepTheirOrder) {
    constexpr std::uint32_t senders = 4;
    constexpr std::uint32_t perSender = 5000;
    MultiSenderQueue<Stamped, 8> queue; // small, so that it is often full and wraps constantly
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::atomic<bool> giveUp{false};
    std::vector<std::thread> threads;
    for (std::uint32_t sender = 0; sender < senders; ++sender) {
        threads.emplace_back([&, sender] {
            for (std::uint32_t count = 0; count < perSender && !giveUp.load(); ++count) {
                while (!queue.tryPush(Stamped::make(sender, count)) && !giveUp.load()) {
                }
            }
        });
    }
    std::vector<std::uint32_t> next(senders, 0);
    std::uint32_t received = 0;
    std::string fault;
    while (received < senders * perSender && fault.empty()) {
        if (std::chrono::steady_clock::now() > deadline) fault = "timed out";
        const Stamped* stamped = queue.peek();
        if (stamped == nullptr) continue;
        if (const auto whole = stamped->whole(); !whole || whole->first >= senders) {
            fault = "a torn record";
        } else if (whole->second != next[whole->first]++) {
            fault = "sender " + std::to_string(whole->first) + " out of order";
        }
        ++received;
        queue.pop();
    }
    giveUp.store(true);
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(fault, "") << "after " << received << " records";
    EXPECT_TRUE(queue.empty());
}

} // namespace
} // namespace platform
