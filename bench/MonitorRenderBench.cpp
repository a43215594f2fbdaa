// The monitor's render path in nanoseconds per event, connected and not, beside two baselines in
// the same run: (a) walking the list and calling the host's output block, nothing else; (b) the
// least the path must do per event: that call, one store under an uncontended unfair lock and,
// connected, one 11-byte append under a second one. The report queue is drained by the heartbeat
// timer between iterations, outside the timed region, so that every report is really queued.

#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/BenchFixtures.h"
#include "platform/core/UnfairLock.h"
#include "platform/sim/SimulatedPlatform.h"

namespace vantrel::bench {
namespace {

constexpr std::size_t eventsPerCycle = 128;

void perEvent(benchmark::State& state) {
    state.counters["ns_per_event"] =
        benchmark::Counter(static_cast<double>(eventsPerCycle) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_MonitorRender(benchmark::State& state) {
    const bool connected = state.range(0) != 0;
    platform::SimulatedPlatform sim;
    const RenderingMonitor monitor(sim, connected);
    if (!monitor.ready()) {
        state.SkipWithError("the monitor did not reach the wanted connection state");
        return;
    }
    const auto block = monitor.renderBlock();
    const HostEventList lists[2] = {HostEventList(0, eventsPerCycle), HostEventList(1, eventsPerCycle)};
    std::size_t cycle = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(renderEvents(block, lists[cycle++ & 1].head()));
        state.PauseTiming();
        sim.advance(platform::milliseconds(10)); // the heartbeat drains the reports
        state.ResumeTiming();
    }
    perEvent(state);
}

// (a) The list walked and the same output block called, nothing else.
void BM_BaselineWalkAndPass(benchmark::State& state) {
    std::int64_t passed = 0;
    const platform::AUMIDIOutputEventBlock output = countingOutput(passed);
    const HostEventList lists[2] = {HostEventList(0, eventsPerCycle), HostEventList(1, eventsPerCycle)};
    std::size_t cycle = 0;
    for (auto _ : state) {
        for (const platform::AURenderEvent* event = lists[cycle++ & 1].head(); event != nullptr;
             event = event->head.next) {
            if (event->head.eventType != platform::AURenderEventMIDI) continue;
            const platform::AUMIDIEvent& midi = event->MIDI;
            output(midi.eventSampleTime, midi.cable, midi.length, midi.data);
        }
        state.PauseTiming();
        state.ResumeTiming();
    }
    benchmark::DoNotOptimize(passed);
    perEvent(state);
}

// (b) The least work the system demands per event.
void BM_BaselineLeastWork(benchmark::State& state) {
    const bool connected = state.range(0) != 0;
    std::int64_t passed = 0;
    const platform::AUMIDIOutputEventBlock output = countingOutput(passed);
    const HostEventList lists[2] = {HostEventList(0, eventsPerCycle), HostEventList(1, eventsPerCycle)};
    platform::UnfairLock valuesLock;
    std::array<std::uint8_t, 256> values{};
    platform::UnfairLock queueLock;
    std::array<std::array<std::uint8_t, 11>, 256> queue{};
    std::size_t queued = 0;
    const std::array<std::uint8_t, 8> tag{0xF0, 0x7D, 0x01, 0x02, 0x03, 0x04, 0x05, 0xF7};
    std::size_t cycle = 0;
    for (auto _ : state) {
        for (const platform::AURenderEvent* event = lists[cycle++ & 1].head(); event != nullptr;
             event = event->head.next) {
            if (event->head.eventType != platform::AURenderEventMIDI) continue;
            const platform::AUMIDIEvent& midi = event->MIDI;
            output(midi.eventSampleTime, midi.cable, midi.length, midi.data);
            {
                platform::UnfairLockGuard guard(valuesLock);
                values[midi.data[1]] = midi.data[2];
            }
            if (connected) {
                platform::UnfairLockGuard guard(queueLock);
                auto& record = queue[queued++ & 0xFF];
                std::memcpy(record.data(), tag.data(), tag.size());
                std::memcpy(record.data() + 8, midi.data, 3);
            }
        }
        state.PauseTiming();
        benchmark::DoNotOptimize(values.data());
        benchmark::DoNotOptimize(queue.data());
        queued = 0;
        state.ResumeTiming();
    }
    benchmark::DoNotOptimize(passed);
    perEvent(state);
}

BENCHMARK(BM_MonitorRender)->ArgName("connected")->Arg(0)->Arg(1);
BENCHMARK(BM_BaselineWalkAndPass);
BENCHMARK(BM_BaselineLeastWork)->ArgName("connected")->Arg(0)->Arg(1);

} // namespace
} // namespace vantrel::bench
