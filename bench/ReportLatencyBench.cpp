// The time from a controller event entering a monitor's render call to the receiver decoding its
// report, over the JACK backend, with 1, 64 and 512 monitors. The monitor sends queued reports
// from its 10 ms timer, and JACK moves them once a period (256 frames at 48 kHz: 5.3 ms), so
// about 10 ms plus a period is what to expect at the tail. Needs a JACK server running
// (jackd -d dummy -r 48000 -p 256, or PipeWire's through pw-jack).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <thread>
#include <vector>

#include "bench/BenchFixtures.h"
#include "platform/midi/jack/JackMIDIService.h"
#include "platform/notify/NotificationCenter.h"
#include "platform/sim/LivePlatform.h"
#include "receiver/Receiver.h"

namespace vantrel::bench {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

template <typename Done>
bool waitUntil(Done done, Clock::duration limit) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

bool reported(const receiver::Receiver& receiver, std::uint32_t uid, const std::vector<std::uint8_t>& event) {
    for (const auto& monitor : receiver.monitors()) {
        if (monitor.uid != uid) continue;
        return std::any_of(monitor.lastEvents.begin(), monitor.lastEvents.end(),
                           [&](const auto& entry) { return entry.second == event; });
    }
    return false;
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

void BM_ReportLatencyOverJack(benchmark::State& state) {
    const auto instances = static_cast<std::size_t>(state.range(0));
    constexpr int samples = 200;
    for (auto _ : state) {
        platform::LiveTransports transports;
        transports.jack = true;
        transports.jackClientName = "vantrel-bench";
        platform::LivePlatform live(transports);
        if (!static_cast<platform::JackMIDIService&>(live.midi()).serverConnected()) {
            state.SkipWithError("no JACK server: start one (jackd -d dummy) and set JACK_DEFAULT_SERVER");
            return;
        }
        receiver::Receiver receiver(std::filesystem::temp_directory_path());
        receiver.up("bench");
        std::vector<std::shared_ptr<monitor::VantrelExtensionAudioUnit>> units;
        std::int64_t passed = 0;
        for (std::size_t index = 0; index < instances; ++index) {
            units.push_back(createMonitor());
            units.back()->setMIDIOutputEventBlock(countingOutput(passed));
            units.back()->allocateRenderResources();
        }
        // A Heartbeat from every instance under its lasting uid: then each knows the destination.
        const auto heardFromAll = [&] {
            const auto monitors = receiver.monitors();
            return std::all_of(units.begin(), units.end(), [&](const auto& unit) {
                return std::any_of(monitors.begin(), monitors.end(), [&](const auto& monitor) {
                    return monitor.uid == unit->uniqueID() && monitor.heartbeats > 0;
                });
            });
        };
        if (!waitUntil(heardFromAll, 10s)) {
            state.SkipWithError("the monitors' Heartbeats did not arrive");
            return;
        }
        for (const auto& unit : units) {
            platform::NotificationCenter::defaultCenter().post(
                "com.marlek.vantrel.connect", platform::Dictionary{{"uid", unit->uniqueID()}, {"trackName", "Bench"}});
        }
        if (!waitUntil([&] { return std::all_of(units.begin(), units.end(), [](const auto& unit) { return unit->isConnected(); }); },
                       5s)) {
            state.SkipWithError("the monitors did not connect");
            return;
        }
        std::vector<double> milliseconds;
        std::mt19937 random(1);
        std::uniform_int_distribution<int> pause(0, 10'000); // microseconds: spread over the tick
        for (int sample = 0; sample < samples; ++sample) {
            auto& unit = *units[static_cast<std::size_t>(sample) % instances];
            // Never the value the instance reported last (it starts at 0): a repeat is not reported.
            const std::vector<std::uint8_t> event{0xB0, 0x07, static_cast<std::uint8_t>(1 + sample % 127)};
            platform::AURenderEvent render{};
            render.MIDI.eventType = platform::AURenderEventMIDI;
            render.MIDI.length = 3;
            std::copy(event.begin(), event.end(), render.MIDI.data);
            const auto start = Clock::now();
            renderEvents(unit.internalRenderBlock(), &render);
            if (!waitUntil([&] { return reported(receiver, unit.uniqueID(), event); }, 1s)) {
                const std::string why = "report " + std::to_string(sample) + " did not arrive within 1 s";
                state.SkipWithError(why.c_str());
                return;
            }
            milliseconds.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
        }
        state.counters["p50_ms"] = percentile(milliseconds, 0.50);
        state.counters["p99_ms"] = percentile(milliseconds, 0.99);
        units.clear();
    }
}

BENCHMARK(BM_ReportLatencyOverJack)
    ->ArgName("monitors")
    ->Arg(1)
    ->Arg(64)
    ->Arg(512)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
} // namespace vantrel::bench
