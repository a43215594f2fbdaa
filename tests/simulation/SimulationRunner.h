#pragma once
// Runs one seed: generates its scenario, runs it step by step until a check fails, and reports
// what failed with the steps that led there and the command that replays it.

#include <cstdint>
#include <string>
#include <vector>

#include "SimulationWorld.h"

namespace vantrel::simulation {

// Random steps per scenario, between its fixed opening and ending.
inline constexpr std::size_t scenarioLength = 200;

struct RunResult {
    bool passed = true;
    std::string report; // for a failure: what failed, the steps before it, how to replay it
    Coverage coverage;
};

// `verbose`: every step is printed as it runs.
RunResult runSeed(std::uint64_t seed, bool verbose = false);

// "VANTREL_SIM_SEED=N <this executable>".
std::string replayCommand(std::uint64_t seed);

} // namespace vantrel::simulation
