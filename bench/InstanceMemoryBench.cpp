// Heap bytes each monitor and meter instance holds, with render resources allocated: the
// allocator's in-use bytes before and after creating a batch, divided by the batch.

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <vector>

#include "bench/BenchFixtures.h"
#include "platform/sim/SimulatedPlatform.h"

namespace vantrel::bench {
namespace {

constexpr std::size_t batch = 64;

template <typename Create> void measureInstances(benchmark::State& state, Create create) {
    for (auto _ : state) {
        platform::SimulatedPlatform sim;
        const ReceiverDestination receiver;
        sim.runDue();
        auto units = std::vector<decltype(create())>();
        units.reserve(batch);
        const auto before = mallinfo2().uordblks;
        for (std::size_t index = 0; index < batch; ++index) {
            units.push_back(create());
            units.back()->allocateRenderResources();
        }
        sim.runDue();
        const auto after = mallinfo2().uordblks;
        state.counters["bytes_per_instance"] =
            static_cast<double>(after - before) / static_cast<double>(batch);
    }
}

void BM_MonitorInstanceBytes(benchmark::State& state) {
    measureInstances(state, [] { return createMonitor(); });
}

void BM_MeterInstanceBytes(benchmark::State& state) {
    measureInstances(state, [] { return createMeter(); });
}

BENCHMARK(BM_MonitorInstanceBytes)->Iterations(1)->Repetitions(1);
BENCHMARK(BM_MeterInstanceBytes)->Iterations(1)->Repetitions(1);

} // namespace
} // namespace vantrel::bench
