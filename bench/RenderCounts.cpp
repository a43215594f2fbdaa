// Drives the two render paths a fixed number of times for callgrind, which counts instructions
// only inside the counted* functions (--toggle-collect); scripts/bench.sh divides by the events
// or frames printed here. Usage: vantrel_render_counts monitor-connected|monitor-idle|meter FRAMES

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/BenchFixtures.h"
#include "platform/sim/SimulatedPlatform.h"

using namespace vantrel::bench;

constexpr int cycles = 200;

extern "C" {
[[gnu::noinline]] void countedMonitorRender(const platform::AUInternalRenderBlock& block,
                                            const platform::AURenderEvent* head) {
    renderEvents(block, head);
}
[[gnu::noinline]] void countedMeterRender(const platform::AUInternalRenderBlock& block,
                                          HostAudioBuffers& audio) {
    renderAudio(block, audio);
}
}

namespace {

int countMonitor(bool connected) {
    platform::SimulatedPlatform sim;
    const RenderingMonitor monitor(sim, connected);
    if (!monitor.ready()) {
        std::fprintf(stderr, "the monitor did not reach the wanted connection state\n");
        return 1;
    }
    const auto block = monitor.renderBlock();
    const HostEventList lists[2] = {HostEventList(0), HostEventList(1)};
    for (int cycle = 0; cycle < cycles; ++cycle) {
        countedMonitorRender(block, lists[cycle & 1].head());
        sim.advance(platform::milliseconds(10));
    }
    std::printf("events %zu\n", cycles * lists[0].size());
    return 0;
}

int countMeter(platform::AUAudioFrameCount frames) {
    platform::SimulatedPlatform sim;
    const QueuedDestination destination;
    const auto unit = createMeter();
    const auto block = unit->internalRenderBlock();
    HostAudioBuffers audio(frames);
    for (int cycle = 0; cycle < cycles; ++cycle)
        countedMeterRender(block, audio);
    std::printf("frames %lld\n", static_cast<long long>(cycles) * frames);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "monitor-connected") return countMonitor(true);
    if (mode == "monitor-idle") return countMonitor(false);
    if (mode == "meter" && argc > 2)
        return countMeter(static_cast<platform::AUAudioFrameCount>(std::atoi(argv[2])));
    std::fprintf(stderr, "usage: %s monitor-connected|monitor-idle|meter FRAMES\n", argv[0]);
    return 2;
}
