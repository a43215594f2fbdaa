// CPU time per second of real time that the monitors' 10 ms timers take on real threads, for 1,
// 64, 512 and 2048 instances, linked to the receiver or with its destination missing (then every
// tick searches for it). The process's CPU clock over 3 s of real time, after the first ticks.

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <optional>
#include <thread>
#include <vector>

#include "bench/BenchFixtures.h"
#include "platform/sim/LivePlatform.h"

namespace vantrel::bench {
namespace {

double seconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void BM_MonitorTimers(benchmark::State& state) {
    const auto instances = static_cast<std::size_t>(state.range(0));
    const bool linked = state.range(1) != 0;
    for (auto _ : state) {
        platform::LivePlatform live;
        std::optional<ReceiverDestination> receiver;
        if (linked) receiver.emplace();
        std::vector<std::shared_ptr<monitor::VantrelExtensionAudioUnit>> units;
        for (std::size_t index = 0; index < instances; ++index)
            units.push_back(createMonitor());
        std::this_thread::sleep_for(std::chrono::milliseconds(700)); // past the first tick at 0.5 s

        const double cpuStart = seconds(CLOCK_PROCESS_CPUTIME_ID);
        const double realStart = seconds(CLOCK_MONOTONIC);
        std::this_thread::sleep_for(std::chrono::milliseconds(3000));
        const double cpu = seconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart;
        const double real = seconds(CLOCK_MONOTONIC) - realStart;
        state.counters["core_percent"] = 100.0 * cpu / real;
        state.counters["core_percent_per_instance"] = 100.0 * cpu / real / static_cast<double>(instances);
        units.clear();
    }
}

BENCHMARK(BM_MonitorTimers)
    ->ArgNames({"instances", "linked"})
    ->ArgsProduct({{1, 64, 512, 2048}, {1, 0}})
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
} // namespace vantrel::bench
