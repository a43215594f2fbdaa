#include "SimulationRunner.h"

#include <cstdio>
#include <filesystem>
#include <iomanip>
#include <sstream>

#include "ScenarioGenerator.h"

namespace vantrel::simulation {

namespace {

constexpr std::size_t stepsShown = 25;

std::string milliseconds(platform::TimePoint time) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(3) << static_cast<double>(time.count()) / 1e6 << " ms";
    return text.str();
}

} // namespace

std::string replayCommand(std::uint64_t seed) {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return "VANTREL_SIM_SEED=" + std::to_string(seed) + " " +
           (error ? std::string("simulation_tests") : executable.string());
}

RunResult runSeed(std::uint64_t seed, bool verbose) {
    const Scenario scenario = ScenarioGenerator(seed).generate(scenarioLength);
    RunResult result;
    SimulationWorld world(seed);
    for (std::size_t index = 0; index < scenario.size(); ++index) {
        if (verbose)
            std::printf("%s %4zu %s\n", milliseconds(world.now()).c_str(), index,
                        describe(scenario[index]).c_str());
        world.run(scenario[index]);
        if (world.violations().empty()) continue;

        std::ostringstream report;
        report << "seed " << seed << " failed at step " << index << " of " << scenario.size() << " ("
               << describe(scenario[index]) << "), " << milliseconds(world.now()) << ":\n";
        for (const std::string& message : world.violations().messages())
            report << "  " << message << "\n";
        report << "the steps up to it:\n";
        for (std::size_t shown = index + 1 > stepsShown ? index + 1 - stepsShown : 0; shown <= index; ++shown)
            report << "  " << shown << ": " << describe(scenario[shown]) << "\n";
        report << "replay: " << replayCommand(seed) << "\n";
        result.passed = false;
        result.report = report.str();
        break;
    }
    result.coverage = world.coverage();
    if (verbose) {
        const Coverage& c = result.coverage;
        std::printf(
            "reports queued %zu, arrived %zu, queue overflows %zu; timer heartbeats %zu; peak messages %zu; "
            "events passed through %zu; log lines %zu\n",
            c.reportsQueued, c.reportsArrived, c.queueOverflows, c.timerHeartbeats, c.peakMessages,
            c.passedThrough, c.logLines);
    }
    return result;
}

} // namespace vantrel::simulation
