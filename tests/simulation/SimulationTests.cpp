// Randomized simulation: a few hundred seeded scenarios on the simulated platform, each checked
// step by step. A failing seed is printed with its steps and the command that replays it:
//   VANTREL_SIM_SEED=N ./build/plain/tests/simulation/simulation_tests
// (VANTREL_SIM_VERBOSE=1 prints every step as it runs; VANTREL_SIM_SEEDS=N runs N seeds per
// batch instead of the default, for a longer soak.)

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "SimulationRunner.h"

namespace vantrel::simulation {
namespace {

// The suite's seeds, in batches that ctest runs side by side. Sanitizer builds run fewer of them
// (VANTREL_SIMULATION_SEEDS is set by the build).
constexpr std::uint64_t batches = 10;
constexpr std::uint64_t seedsPerBatch = VANTREL_SIMULATION_SEEDS / batches;

std::optional<std::uint64_t> environmentNumber(const char* name) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return std::nullopt;
    return std::strtoull(text, nullptr, 10);
}

class SimulationBatch : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(SimulationBatch, EverySeedKeepsEveryInvariant) {
    if (environmentNumber("VANTREL_SIM_SEED")) GTEST_SKIP() << "replaying one seed";
    const std::uint64_t count = environmentNumber("VANTREL_SIM_SEEDS").value_or(seedsPerBatch);
    const std::uint64_t first = GetParam() * count + 1;
    Coverage total;
    for (std::uint64_t seed = first; seed < first + count; ++seed) {
        const RunResult result = runSeed(seed);
        EXPECT_TRUE(result.passed) << result.report;
        total.reportsArrived += result.coverage.reportsArrived;
        total.queueOverflows += result.coverage.queueOverflows;
        total.timerHeartbeats += result.coverage.timerHeartbeats;
        total.peakMessages += result.coverage.peakMessages;
        total.passedThrough += result.coverage.passedThrough;
        total.tracksFromMapping += result.coverage.tracksFromMapping;
    }
    std::printf("seeds %llu..%llu: %zu reports arrived, %zu queue overflows, %zu timer heartbeats, %zu peak "
                "messages, %zu events passed through, %zu tracks taken from the mapping file\n",
                static_cast<unsigned long long>(first), static_cast<unsigned long long>(first + count - 1),
                total.reportsArrived, total.queueOverflows, total.timerHeartbeats, total.peakMessages,
                total.passedThrough, total.tracksFromMapping);
    // The scenarios must reach what the invariants are about, or they prove nothing.
    EXPECT_GT(total.reportsArrived, 0u);
    EXPECT_GT(total.timerHeartbeats, 0u);
    EXPECT_GT(total.peakMessages, 0u);
    EXPECT_GT(total.passedThrough, 0u);
    EXPECT_GT(total.tracksFromMapping, 0u);
    if (count >= 20) {
        EXPECT_GT(total.queueOverflows, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, SimulationBatch, ::testing::Range<std::uint64_t>(0, batches));

TEST(SimulationReplay, ReplaysTheSeedNamed) {
    const auto seed = environmentNumber("VANTREL_SIM_SEED");
    if (!seed) GTEST_SKIP() << "set VANTREL_SIM_SEED=N to replay seed N";
    const RunResult result = runSeed(*seed, environmentNumber("VANTREL_SIM_VERBOSE").value_or(0) != 0);
    EXPECT_TRUE(result.passed) << result.report;
}

} // namespace
} // namespace vantrel::simulation
