// The LV2 adapter's cost against a bare LV2 pass-through written for the comparison, in the same
// run and through the same descriptor calls: per MIDI event (the monitor, blocks of 256 frames
// with 0 or 16 events) and per audio frame (the meter, two channels of 256 frames).

#include <algorithm>
#include <cstring>

#include <benchmark/benchmark.h>

#include "lv2/Lv2TestHost.h"

namespace {

using namespace vantrel::lv2::testing;

constexpr std::uint32_t blockFrames = 256;
constexpr std::uint32_t sequenceCapacity = 8192;

// The tightest pass-through: the input sequence copied whole, each audio channel copied once.
struct BarePassThrough {
    const LV2_Atom_Sequence* midiIn = nullptr;
    LV2_Atom_Sequence* midiOut = nullptr;
    const float* audioIn[2] = {};
    float* audioOut[2] = {};
    bool midi = false;
};

template <bool midi> const LV2_Descriptor* bareDescriptor() {
    static const LV2_Descriptor descriptor{
        midi ? "urn:bare:midi" : "urn:bare:audio",
        [](const LV2_Descriptor*, double, const char*, const LV2_Feature* const*) -> LV2_Handle {
            return new BarePassThrough{.midi = midi};
        },
        [](LV2_Handle handle, std::uint32_t port, void* data) {
            auto& bare = *static_cast<BarePassThrough*>(handle);
            if (bare.midi) {
                if (port == 0) bare.midiIn = static_cast<const LV2_Atom_Sequence*>(data);
                if (port == 1) bare.midiOut = static_cast<LV2_Atom_Sequence*>(data);
            } else if (port < 2) {
                bare.audioIn[port] = static_cast<const float*>(data);
            } else {
                bare.audioOut[port - 2] = static_cast<float*>(data);
            }
        },
        nullptr,
        [](LV2_Handle handle, std::uint32_t frames) {
            auto& bare = *static_cast<BarePassThrough*>(handle);
            if (bare.midi) {
                if (bare.midiOut->atom.size >= bare.midiIn->atom.size)
                    std::memcpy(bare.midiOut, bare.midiIn, sizeof(LV2_Atom) + bare.midiIn->atom.size);
                return;
            }
            for (int channel = 0; channel < 2; ++channel)
                std::memcpy(bare.audioOut[channel], bare.audioIn[channel], frames * sizeof(float));
        },
        nullptr,
        [](LV2_Handle handle) { delete static_cast<BarePassThrough*>(handle); },
        nullptr};
    return &descriptor;
}

enum class Subject { bare, adapter };

template <Subject subject> void midiPerEvent(benchmark::State& state) {
    TestHost host(blockFrames);
    Instance instance(subject == Subject::bare ? bareDescriptor<true>() : descriptorOf(monitorBundle), host,
                      monitorBundle);
    if (instance.handle == nullptr) return state.SkipWithError(host.logged.c_str());
    const auto events = static_cast<std::uint32_t>(state.range(0));
    std::vector<MidiAt> sent;
    for (std::uint32_t event = 0; event < events; ++event)
        sent.push_back({event * (blockFrames / events), {0x90, static_cast<std::uint8_t>(event), 100}});
    SequenceBuffer in(sequenceCapacity), out(sequenceCapacity);
    in.fill(host, sent);
    instance.descriptor->connect_port(instance.handle, 0, in.sequence());
    instance.descriptor->connect_port(instance.handle, 1, out.sequence());
    if (instance.descriptor->activate != nullptr) instance.descriptor->activate(instance.handle);
    for (auto _ : state) {
        out.clear(sequenceCapacity);
        instance.descriptor->run(instance.handle, blockFrames);
        benchmark::DoNotOptimize(out.storage.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * std::max<std::uint32_t>(events, 1));
    if (instance.descriptor->deactivate != nullptr) instance.descriptor->deactivate(instance.handle);
}

template <Subject subject> void audioPerFrame(benchmark::State& state) {
    TestHost host(blockFrames);
    Instance instance(subject == Subject::bare ? bareDescriptor<false>() : descriptorOf(meterBundle), host,
                      meterBundle);
    if (instance.handle == nullptr) return state.SkipWithError(host.logged.c_str());
    std::vector<float> in[2], out[2];
    for (int channel = 0; channel < 2; ++channel) {
        in[channel].assign(blockFrames, 0.25f * static_cast<float>(channel + 1));
        out[channel].assign(blockFrames, 0.0f);
        instance.descriptor->connect_port(instance.handle, channel, in[channel].data());
        instance.descriptor->connect_port(instance.handle, channel + 2, out[channel].data());
    }
    if (instance.descriptor->activate != nullptr) instance.descriptor->activate(instance.handle);
    for (auto _ : state) {
        instance.descriptor->run(instance.handle, blockFrames);
        benchmark::DoNotOptimize(out[0].data());
        benchmark::DoNotOptimize(out[1].data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * blockFrames);
    if (instance.descriptor->deactivate != nullptr) instance.descriptor->deactivate(instance.handle);
}

BENCHMARK(midiPerEvent<Subject::bare>)->Arg(0)->Arg(16);
BENCHMARK(midiPerEvent<Subject::adapter>)->Arg(0)->Arg(16);
BENCHMARK(audioPerFrame<Subject::bare>);
BENCHMARK(audioPerFrame<Subject::adapter>);

} // namespace
