// The LV2 adapter's own cost, per MIDI event (the monitor, blocks of 256 frames with 16 events,
// and per block with none) and per audio frame (the meter, two channels of 256 frames). Three
// ways through the same block take turns in one loop, so that they meet the same machine:
//   bare     a bare LV2 pass-through, written as tightly as it goes (one copy of the sequence,
//            one copy per audio channel);
//   forward  for MIDI, a bare pass-through that looks at every event, as a MIDI effect must:
//            each event appended to the output on its own;
//   plugin   the plug-in's render block driven by the tightest host there is: its own work;
//   adapter  the plug-in's bundle through the adapter, as an LV2 host runs it.
// The adapter's own cost is adapter less plugin; "ratio" sets it against bare, "ratio_forward"
// against forward.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include "formats/lv2/HostProcess.h"
#include "host/plugins/HostedInstance.h"
#include "lv2/Lv2TestHost.h"

namespace {

using namespace vantrel::lv2::testing;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t blockFrames = 256;
constexpr std::uint32_t sequenceCapacity = 8192;
constexpr int runsPerTurn = 32;

enum class Bare { audio, midi, forward };

struct BarePassThrough {
    const LV2_Atom_Sequence* midiIn = nullptr;
    LV2_Atom_Sequence* midiOut = nullptr;
    const float* audioIn[2] = {};
    float* audioOut[2] = {};
    Bare kind;
    bool midi = kind != Bare::audio;
};

// As tight as the adapter's own loops: the input's end and the output's size in locals, which
// the copies could otherwise alias.
void forwardEach(const LV2_Atom_Sequence* in, LV2_Atom_Sequence* out) {
    const std::uint32_t capacity = out->atom.size;
    out->atom.type = in->atom.type;
    lv2_atom_sequence_clear(out);
    std::uint32_t used = out->atom.size;
    const std::uint32_t inSize = in->atom.size;
    for (const LV2_Atom_Event* event = lv2_atom_sequence_begin(&in->body);
         !lv2_atom_sequence_is_end(&in->body, inSize, event); event = lv2_atom_sequence_next(event)) {
        const std::uint32_t size = sizeof(LV2_Atom_Event) + lv2_atom_pad_size(event->body.size);
        if (used + size > capacity) break;
        LV2_Atom_Event* end = lv2_atom_sequence_end(&out->body, used);
        // A channel message's event, padded, is 24 bytes: copied in a fixed size, without a call.
        if (event->body.size <= 8) std::memcpy(end, event, sizeof(LV2_Atom_Event) + 8);
        else std::memcpy(end, event, size);
        used += size;
    }
    out->atom.size = used;
}

template <Bare kind> const LV2_Descriptor* bareDescriptor() {
    static const LV2_Descriptor descriptor{
        "urn:bare",
        [](const LV2_Descriptor*, double, const char*, const LV2_Feature* const*) -> LV2_Handle {
            return new BarePassThrough{.kind = kind};
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
            if (kind == Bare::forward) return forwardEach(bare.midiIn, bare.midiOut);
            if (kind == Bare::midi) {
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

// An LV2 instance with its ports connected and activated, run a block at a time.
struct RunningInstance {
    RunningInstance(const LV2_Descriptor* descriptor, TestHost& host, const std::string& bundle,
                    const std::vector<void*>& ports)
        : instance(descriptor, host, bundle) {
        if (instance.handle == nullptr) return;
        for (std::uint32_t port = 0; port < ports.size(); ++port)
            instance.descriptor->connect_port(instance.handle, port, ports[port]);
        if (instance.descriptor->activate != nullptr) instance.descriptor->activate(instance.handle);
    }
    ~RunningInstance() {
        if (instance.handle != nullptr && instance.descriptor->deactivate != nullptr)
            instance.descriptor->deactivate(instance.handle);
    }
    void run() { instance.descriptor->run(instance.handle, blockFrames); }

    Instance instance;
};

// The plug-in's audio unit as the tightest host drives it: the process's own platform and
// registry, render events stamped in place, MIDI out into a plain byte array, audio pulled by one
// copy per channel.
class DirectUnit {
public:
    DirectUnit(const std::string& bundle, const float* const* audioIn, std::uint32_t audioChannels)
        : process_(vantrel::lv2::HostProcess::acquire()),
          instance_(vantrel::host::HostedInstance::create(process_->registry(), process_->component(bundle))),
          audioIn_(audioIn) {
        instance_->unit()->setMaximumFramesToRender(blockFrames);
        instance_->allocate([this](platform::AUEventSampleTime, std::uint8_t, platform::NSInteger length,
                                   const std::uint8_t* bytes) {
            if (midiUsed_ + static_cast<std::size_t>(length) > midiOut_.size()) return -1;
            std::memcpy(midiOut_.data() + midiUsed_, bytes, static_cast<std::size_t>(length));
            midiUsed_ += static_cast<std::size_t>(length);
            return 0;
        });
        block_ = instance_->renderBlock();
        pull_ = [this](platform::AudioUnitRenderActionFlags*, const platform::AudioTimeStamp*,
                       platform::AUAudioFrameCount frames, platform::NSInteger, platform::AudioBufferList* into) {
            for (std::uint32_t channel = 0; channel < into->mNumberBuffers; ++channel)
                std::memcpy(into->mBuffers[channel].mData, audioIn_[channel], frames * sizeof(float));
            return platform::noErr;
        };
        output_.mNumberBuffers = audioChannels;
    }
    ~DirectUnit() { instance_->deallocate(); }

    void setEvents(const std::vector<MidiAt>& events) {
        events_.assign(events.size(), {});
        for (std::size_t index = 0; index < events.size(); ++index) {
            platform::AUMIDIEvent& midi = events_[index].MIDI;
            midi.next = index + 1 < events.size() ? &events_[index + 1] : nullptr;
            midi.eventType = platform::AURenderEventMIDI;
            midi.length = static_cast<std::uint16_t>(events[index].bytes.size());
            std::copy(events[index].bytes.begin(), events[index].bytes.end(), midi.data);
            frames_.push_back(events[index].frame);
        }
    }
    void setOutput(std::uint32_t channel, float* samples) {
        output_.mBuffers[channel].mData = samples;
        output_.mBuffers[channel].mDataByteSize = blockFrames * sizeof(float);
    }
    void run() {
        for (std::size_t index = 0; index < events_.size(); ++index)
            events_[index].MIDI.eventSampleTime = sampleTime_ + frames_[index];
        platform::AudioTimeStamp timestamp;
        timestamp.mSampleTime = static_cast<double>(sampleTime_);
        timestamp.mFlags = platform::kAudioTimeStampSampleTimeValid;
        platform::AudioUnitRenderActionFlags flags = 0;
        midiUsed_ = 0;
        block_(&flags, &timestamp, blockFrames, 0, &output_, events_.empty() ? nullptr : events_.data(), pull_);
        sampleTime_ += blockFrames;
    }

private:
    std::shared_ptr<vantrel::lv2::HostProcess> process_;
    std::unique_ptr<vantrel::host::HostedInstance> instance_;
    const float* const* audioIn_;
    platform::AUInternalRenderBlock block_;
    platform::AURenderPullInputBlock pull_;
    platform::AudioBufferList output_;
    std::vector<platform::AURenderEvent> events_;
    std::vector<std::int64_t> frames_;
    std::array<std::uint8_t, 4096> midiOut_{};
    std::size_t midiUsed_ = 0;
    platform::AUEventSampleTime sampleTime_ = 0;
};

template <class Run> double turn(Run&& run) {
    const auto start = Clock::now();
    for (int index = 0; index < runsPerTurn; ++index)
        run();
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count();
}

// Nanoseconds per item of each way, in turns, the adapter's own cost, and that cost against the
// bare ways. Ways: bare, plugin, adapter, and forward when given.
template <class... Ways> void measure(benchmark::State& state, std::uint32_t itemsPerBlock, Ways&&... ways) {
    static constexpr std::array<const char*, 4> names{"bare", "plugin", "adapter", "forward"};
    std::array<double, sizeof...(Ways)> times{};
    for (auto _ : state) {
        std::size_t index = 0;
        ((times[index++] += turn(ways)), ...);
    }
    const double items = static_cast<double>(state.iterations()) * runsPerTurn * itemsPerBlock;
    for (std::size_t index = 0; index < times.size(); ++index)
        state.counters[std::string(names[index]) + "_ns"] = times[index] / items;
    const double own = times[2] - times[1];
    state.counters["adapter_own_ns"] = own / items;
    state.counters["ratio"] = own / times[0];
    if (times.size() > 3) state.counters["ratio_forward"] = own / times[3];
}

void monitorBlock(benchmark::State& state) {
    TestHost host(blockFrames);
    const auto events = static_cast<std::uint32_t>(state.range(0));
    std::vector<MidiAt> sent;
    // Controller changes, each a new value, as the monitor reports them: its heaviest events.
    for (std::uint32_t event = 0; event < events; ++event)
        sent.push_back({event * (blockFrames / events), {0xB0, static_cast<std::uint8_t>(event), 100}});
    SequenceBuffer in(sequenceCapacity), bareOut(sequenceCapacity), forwardOut(sequenceCapacity),
        adapterOut(sequenceCapacity);
    in.fill(host, sent);
    RunningInstance bare(bareDescriptor<Bare::midi>(), host, monitorBundle, {in.sequence(), bareOut.sequence()});
    RunningInstance forward(bareDescriptor<Bare::forward>(), host, monitorBundle,
                            {in.sequence(), forwardOut.sequence()});
    RunningInstance adapter(descriptorOf(monitorBundle), host, monitorBundle, {in.sequence(), adapterOut.sequence()});
    if (adapter.instance.handle == nullptr) return state.SkipWithError(host.logged.c_str());
    DirectUnit plugin(monitorBundle, nullptr, 0);
    plugin.setEvents(sent);
    measure(
        state, std::max<std::uint32_t>(events, 1),
        [&] {
            bareOut.clear(sequenceCapacity);
            bare.run();
        },
        [&] { plugin.run(); },
        [&] {
            adapterOut.clear(sequenceCapacity);
            adapter.run();
        },
        [&] {
            forwardOut.clear(sequenceCapacity);
            forward.run();
        });
}

void meterBlock(benchmark::State& state) {
    TestHost host(blockFrames);
    std::vector<float> in[2], out[2];
    for (int channel = 0; channel < 2; ++channel) {
        in[channel].assign(blockFrames, 0.25f * static_cast<float>(channel + 1));
        out[channel].assign(blockFrames, 0.0f);
    }
    const std::vector<void*> ports{in[0].data(), in[1].data(), out[0].data(), out[1].data()};
    RunningInstance bare(bareDescriptor<Bare::audio>(), host, meterBundle, ports);
    RunningInstance adapter(descriptorOf(meterBundle), host, meterBundle, ports);
    if (adapter.instance.handle == nullptr) return state.SkipWithError(host.logged.c_str());
    const float* inputs[2] = {in[0].data(), in[1].data()};
    DirectUnit plugin(meterBundle, inputs, 2);
    for (std::uint32_t channel = 0; channel < 2; ++channel) plugin.setOutput(channel, out[channel].data());
    measure(
        state, blockFrames, [&] { bare.run(); }, [&] { plugin.run(); }, [&] { adapter.run(); });
}

BENCHMARK(monitorBlock)->Arg(0)->Arg(16);
BENCHMARK(meterBlock);

} // namespace
