// A threaded queue's order of waiting work against a sorted list of the same entries, through
// interleaved pushes and pops whose deadlines run in order, fall back, repeat and jump.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "platform/dispatch/PendingOrder.h"

namespace platform {
namespace {

struct Traffic {
    const char* name;
    int stepMin; // how far a deadline moves from the last one pushed, in ticks of 1 ns
    int stepMax;
};

class PendingOrderRuns : public ::testing::TestWithParam<Traffic> {};

TEST_P(PendingOrderRuns, ByDeadlineThenSubmission) {
    const Traffic traffic = GetParam();
    std::mt19937 random(7);
    std::uniform_int_distribution<int> step(traffic.stepMin, traffic.stepMax);
    PendingOrder order;
    std::vector<PendingEntry> expected;
    std::uint64_t sequence = 0;
    TimePoint last{};
    for (int round = 0; round < 4000; ++round) {
        // Two pushes for each pop on average, so that both the ring and the heap grow and drain.
        if (random() % 3 != 0 || expected.empty()) {
            last = std::max(TimePoint{}, last + Duration(step(random)));
            const PendingEntry entry{last, sequence++, static_cast<std::uint32_t>(round), nullptr};
            order.push(entry);
            expected.push_back(entry);
            continue;
        }
        const auto first = std::min_element(expected.begin(), expected.end(),
                                            [](const auto& a, const auto& b) { return a.runsBefore(b); });
        ASSERT_EQ(order.front().slot, first->slot) << "round " << round;
        ASSERT_EQ(order.pop().slot, first->slot) << "round " << round;
        expected.erase(first);
    }
    for (; !expected.empty(); expected.erase(expected.begin())) {
        std::stable_sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) { return a.runsBefore(b); });
        ASSERT_EQ(order.pop().slot, expected.front().slot);
    }
    EXPECT_TRUE(order.empty());
}

INSTANTIATE_TEST_SUITE_P(Traffic, PendingOrderRuns,
                         ::testing::Values(Traffic{"InOrder", 0, 3}, Traffic{"MostlyInOrder", -1, 8},
                                           Traffic{"Scattered", -50, 50}, Traffic{"AllTied", 0, 0}),
                         [](const auto& traffic) { return std::string(traffic.param.name); });

} // namespace
} // namespace platform
