// The meter's render path in nanoseconds per frame, beside what copying the same two buffers
// with memcpy costs and what the plain scalar loop costs, all in one run.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>

#include "bench/BenchFixtures.h"
#include "meter/common/audiounit/PeakMeter.h"
#include "platform/sim/SimulatedPlatform.h"

namespace vantrel::bench {
namespace {

void perFrame(benchmark::State& state, std::int64_t frames) {
    state.counters["ns_per_frame"] =
        benchmark::Counter(static_cast<double>(frames) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetBytesProcessed(frames * 2 * static_cast<std::int64_t>(sizeof(float)) * state.iterations());
}

// The whole render call through the unit's block, linked to a destination as cheap as a host's,
// sends included.
void BM_MeterRender(benchmark::State& state) {
    platform::SimulatedPlatform sim;
    const QueuedDestination destination;
    const auto unit = createMeter();
    const auto block = unit->internalRenderBlock();
    HostAudioBuffers audio(static_cast<platform::AUAudioFrameCount>(state.range(0)));
    if (unit->targetDestination() == 0) state.SkipWithError("the meter found no destination");
    for (auto _ : state)
        benchmark::DoNotOptimize(renderAudio(block, audio));
    perFrame(state, state.range(0));
}

// Baseline: the plug-in interface's floor, a render block that only calls the pull block, through
// the host's call as above.
void BM_BaselinePullOnlyRender(benchmark::State& state) {
    const platform::AUInternalRenderBlock block =
        [](platform::AudioUnitRenderActionFlags* actionFlags, const platform::AudioTimeStamp* timestamp,
           platform::AUAudioFrameCount frameCount, platform::NSInteger, platform::AudioBufferList* outputData,
           const platform::AURenderEvent*, const platform::AURenderPullInputBlock& pullInputBlock) {
            return pullInputBlock(actionFlags, timestamp, frameCount, 0, outputData);
        };
    HostAudioBuffers audio(static_cast<platform::AUAudioFrameCount>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(renderAudio(block, audio));
    perFrame(state, state.range(0));
}

// The peak scan alone over both channels.
void BM_MeterPeakScan(benchmark::State& state) {
    HostAudioBuffers audio(static_cast<platform::AUAudioFrameCount>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(meter::stereoPeaks(audio.channel(0), audio.frames(), audio.channel(1), audio.frames()));
    }
    perFrame(state, state.range(0));
}

// Reference: the straightforward loop the scan must agree with.
float plainPeak(const float* samples, std::uint32_t count) {
    float peak = 0.0f;
    for (std::uint32_t i = 0; i < count; ++i)
        if (std::fabs(samples[i]) > peak) peak = std::fabs(samples[i]);
    return peak;
}

void BM_BaselinePlainLoopScan(benchmark::State& state) {
    HostAudioBuffers audio(static_cast<platform::AUAudioFrameCount>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(plainPeak(audio.channel(0), audio.frames()));
        benchmark::DoNotOptimize(plainPeak(audio.channel(1), audio.frames()));
    }
    perFrame(state, state.range(0));
}

// Baseline: memcpy of the same two buffers.
void BM_BaselineMemcpy(benchmark::State& state) {
    HostAudioBuffers audio(static_cast<platform::AUAudioFrameCount>(state.range(0)));
    std::array<std::vector<float>, 2> copies{std::vector<float>(audio.frames()),
                                             std::vector<float>(audio.frames())};
    const std::size_t bytes = audio.frames() * sizeof(float);
    for (auto _ : state) {
        std::memcpy(copies[0].data(), audio.channel(0), bytes);
        std::memcpy(copies[1].data(), audio.channel(1), bytes);
        benchmark::ClobberMemory();
    }
    perFrame(state, state.range(0));
}

BENCHMARK(BM_MeterRender)->Arg(64)->Arg(512)->Arg(2048);
BENCHMARK(BM_BaselinePullOnlyRender)->Arg(64)->Arg(512)->Arg(2048);
BENCHMARK(BM_MeterPeakScan)->Arg(64)->Arg(512)->Arg(2048);
BENCHMARK(BM_BaselinePlainLoopScan)->Arg(64)->Arg(512)->Arg(2048);
BENCHMARK(BM_BaselineMemcpy)->Arg(64)->Arg(512)->Arg(2048);

} // namespace
} // namespace vantrel::bench
