// Randomized simulation: a few hundred seeded scenario scripts, run by the host on the simulated
// platform with both plug-ins linked in, each checked after every command. A failing seed leaves
// its script in the working folder and prints the command that replays it:
//   vantrel-host sim simulation-seed-N.script                       (its trace)
//   VANTREL_SIM_SCRIPT=simulation-seed-N.script simulation_tests    (its checks, also on an edited copy)

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "ScriptGenerator.h"
#include "SimulationObserver.h"
#include "host/plugins/BundleDescription.h"
#include "meter/common/audiounit/TolvaneAudioMeterExtensionAudioUnit.h"
#include "meter/common/ui/AudioUnitViewController.h"
#include "monitor/common/ui/AudioUnitViewController.h"
#include "platform/sim/SimulatedPlatform.h"

namespace vantrel::simulation {
namespace {

// Commands per script, between its fixed opening and ending.
constexpr std::size_t scriptLength = 200;
// The suite's seeds, in batches that ctest runs side by side. Sanitizer builds run fewer of them
// (VANTREL_SIMULATION_SEEDS is set by the build).
constexpr std::uint64_t batches = 4;
constexpr std::uint64_t seedsPerBatch = VANTREL_SIMULATION_SEEDS / batches;

// The two plug-ins as the host registers them from their bundle descriptions, but linked in.
host::ComponentRegistry& linkedPlugins() {
    static host::ComponentRegistry registry;
    static const bool registered = [] {
        const std::filesystem::path modules = VANTREL_SOURCE_DIR "/host/modules";
        registry.registerLinked(host::readBundleDescription(modules / "VantrelExtension"),
                                [](std::shared_ptr<platform::AUAudioUnitFactory>* principal) {
                                    *principal = std::make_shared<monitor::AudioUnitViewController>();
                                });
        registry.registerLinked(host::readBundleDescription(modules / "TolvaneAudioMeterExtension"),
                                [](std::shared_ptr<platform::AUAudioUnitFactory>* principal) {
                                    *principal = std::make_shared<meter::AudioUnitViewController>();
                                });
        return true;
    }();
    static_cast<void>(registered);
    return registry;
}

// Meter instance numbers are handed out per process; a run starts where a fresh process starts,
// so that the host replaying a script alone gives the same numbers.
void startInstanceNumbersAfresh() {
    const platform::SimulatedPlatform probePlatform;
    while (
        meter::TolvaneAudioMeterExtensionAudioUnit({platform::kAudioUnitType_Effect, 0, 0}, 0).instanceID() !=
        127) {
    }
}

CheckedRun runScript(const std::string& text, Coverage& coverage) {
    startInstanceNumbersAfresh();
    static std::FILE* const nowhere = std::fopen("/dev/null", "w");
    host::RunOptions options;
    options.trace = nowhere;
    options.components = &linkedPlugins();
    return runChecked(text, options, coverage);
}

// What failed, the line it followed, and where the script is kept for replaying it.
std::string failureReport(const std::string& text, const CheckedRun& result,
                          const std::filesystem::path& file) {
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; number <= result.failedLine && std::getline(lines, line); ++number) {
    }
    std::string report = "failed after line " + std::to_string(result.failedLine) + ": " + line + "\n";
    for (const std::string& message : result.violations)
        report += "  " + message + "\n";
    return report + "replay: " VANTREL_HOST_PROGRAM " sim " + file.string() + "\n" +
           "check: VANTREL_SIM_SCRIPT=" + file.string() + " " +
           std::filesystem::read_symlink("/proc/self/exe").string() + " --gtest_filter=SimulationReplay.*\n";
}

class SimulationBatch : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(SimulationBatch, EverySeedKeepsEveryInvariant) {
    if (std::getenv("VANTREL_SIM_SCRIPT")) GTEST_SKIP() << "checking one script";
    Coverage total;
    for (std::uint64_t seed = GetParam() * seedsPerBatch + 1; seed <= (GetParam() + 1) * seedsPerBatch;
         ++seed) {
        const std::string text = generateScript(seed, scriptLength);
        const CheckedRun result = runScript(text, total);
        if (!result.violations.empty()) {
            const auto file =
                std::filesystem::absolute("simulation-seed-" + std::to_string(seed) + ".script");
            std::ofstream(file) << text;
            ADD_FAILURE() << "seed " << seed << " " << failureReport(text, result, file);
        }
    }
    // The scenarios must reach what the invariants are about, or they prove nothing.
    EXPECT_GT(total.reportsArrived, 0u);
    EXPECT_GT(total.timerHeartbeats, 0u);
    EXPECT_GT(total.peakMessages, 0u);
    EXPECT_GT(total.passedThrough, 0u);
    EXPECT_GT(total.tracksFromMapping, 0u);
    EXPECT_GT(total.queueOverflows, 0u);
}

INSTANTIATE_TEST_SUITE_P(Seeds, SimulationBatch, ::testing::Range<std::uint64_t>(0, batches));

TEST(SimulationReplay, ChecksTheScriptNamed) {
    const char* file = std::getenv("VANTREL_SIM_SCRIPT");
    if (file == nullptr) GTEST_SKIP() << "set VANTREL_SIM_SCRIPT=FILE to check that script";
    std::ostringstream text;
    text << std::ifstream(file).rdbuf();
    Coverage ignored;
    const CheckedRun result = runScript(text.str(), ignored);
    EXPECT_TRUE(result.violations.empty()) << failureReport(text.str(), result, file);
}

} // namespace
} // namespace vantrel::simulation
