// CPU time per second of real time that the monitors' 10 ms timers take on real threads, for 1,
// 64, 512 and 2048 instances, linked to the receiver or with its destination missing (then every
// tick searches for it), beside the bare cost of a queue's wake-ups on this machine. The process's
// CPU clock over 3 s of real time, after the first ticks.

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <optional>
#include <thread>
#include <vector>

#include "bench/BenchFixtures.h"
#include "platform/dispatch/DispatchSourceTimer.h"
#include "platform/sim/LivePlatform.h"

namespace vantrel::bench {
namespace {

double seconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The process's share of a core over the next 3 s of real time.
double corePercentOverThreeSeconds() {
    const double cpuStart = seconds(CLOCK_PROCESS_CPUTIME_ID);
    const double realStart = seconds(CLOCK_MONOTONIC);
    std::this_thread::sleep_for(std::chrono::milliseconds(3000));
    const double cpu = seconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart;
    const double real = seconds(CLOCK_MONOTONIC) - realStart;
    return 100.0 * cpu / real;
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

        const double percent = corePercentOverThreeSeconds();
        state.counters["core_percent"] = percent;
        state.counters["core_percent_per_instance"] = percent / static_cast<double>(instances);
        units.clear();
    }
}

// Baseline: what the machine charges for waking a queue's thread, with nothing to do, 100 or
// 1000 times a second: a floor under the monitors' figures, whose ticks share wake-ups up to 1 ms.
void BM_QueueWakeUps(benchmark::State& state) {
    for (auto _ : state) {
        platform::LivePlatform live;
        const auto timer = platform::DispatchSourceTimer::make(
            platform::DispatchQueue::global(platform::QualityOfService::utility));
        const auto interval = std::chrono::duration_cast<platform::Duration>(std::chrono::seconds(1)) / state.range(0);
        timer->schedule(interval, interval);
        timer->setEventHandler([] {});
        timer->resume();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        state.counters["core_percent"] = corePercentOverThreeSeconds();
        timer->cancel();
    }
}

BENCHMARK(BM_MonitorTimers)
    ->ArgNames({"instances", "linked"})
    ->ArgsProduct({{1, 64, 512, 2048}, {1, 0}})
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK(BM_QueueWakeUps)
    ->ArgName("per_second")
    ->Arg(100)
    ->Arg(1000)
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
} // namespace vantrel::bench
