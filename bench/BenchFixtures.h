#pragma once
// What the benchmarks share: the receiver's destination, the host's side of monitor and meter
// render calls, and a realistic MIDI event list.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "receiver/Receiver.h"
#include "meter/common/audiounit/TolvaneAudioMeterExtensionAudioUnit.h"
#include "monitor/common/audiounit/VantrelExtensionAudioUnit.h"
#include "platform/audiounit/AURenderEvent.h"
#include "platform/sim/SimulatedPlatform.h"

namespace vantrel::bench {

// The receiver substitute with its destination up, on the platform in force.
class ReceiverDestination {
public:
    ReceiverDestination();

private:
    vantrel::receiver::Receiver receiver_;
};

// A destination with the receiver's unique ID whose read block only copies each list's first
// packet into a ring, as a host's MIDISend pushes the bytes for the receiver to decode in its own
// process: the meter's send measured without decoding that never runs on a host's render thread.
class QueuedDestination {
public:
    QueuedDestination();
    ~QueuedDestination();
    QueuedDestination(const QueuedDestination&) = delete;
    QueuedDestination& operator=(const QueuedDestination&) = delete;

private:
    struct Ring {
        std::array<std::array<std::uint8_t, 32>, 64> slots{};
        std::uint64_t pushed = 0;
    };
    std::unique_ptr<Ring> ring_ = std::make_unique<Ring>();
    platform::MIDIClientRef client_ = 0;
};

// One render cycle's events as a host plays them: controller sweeps on four channels, pitch
// wheel, channel pressure, notes and channel-16 notes. `phase` shifts every value, so that lists
// of different phases report every controller event again.
class HostEventList {
public:
    explicit HostEventList(int phase, std::size_t count = 128);
    HostEventList(const HostEventList&) = delete;
    HostEventList& operator=(const HostEventList&) = delete;

    const platform::AURenderEvent* head() const { return events_.data(); }
    std::size_t size() const { return events_.size(); }

private:
    std::vector<platform::AURenderEvent> events_;
};

// A host MIDI output that only counts.
platform::AUMIDIOutputEventBlock countingOutput(std::int64_t& count);

std::shared_ptr<monitor::VantrelExtensionAudioUnit> createMonitor();

// A monitor as the render benchmarks drive it, on the platform in force: past its start, with two
// articulations, render resources on a counting host output, connected or not. `ready()` tells
// whether it reached the wanted connection state.
class RenderingMonitor {
public:
    RenderingMonitor(platform::SimulatedPlatform& sim, bool connected);

    bool ready() const { return unit_->isConnected() == connected_; }
    platform::AUInternalRenderBlock renderBlock() const { return unit_->internalRenderBlock(); }

private:
    ReceiverDestination receiver_;
    std::int64_t passed_ = 0;
    std::shared_ptr<monitor::VantrelExtensionAudioUnit> unit_;
    bool connected_;
};
std::shared_ptr<meter::TolvaneAudioMeterExtensionAudioUnit> createMeter();

platform::AUAudioUnitStatus renderEvents(const platform::AUInternalRenderBlock& block,
                                         const platform::AURenderEvent* head);

// Two channels of random full-scale audio in the host's buffers, and a pull block that leaves
// them in place, as a host processing in place does.
class HostAudioBuffers {
public:
    explicit HostAudioBuffers(platform::AUAudioFrameCount frames);

    platform::AUAudioFrameCount frames() const { return frames_; }
    platform::AudioBufferList& list() { return list_; }
    const float* channel(std::size_t index) const { return samples_[index].data(); }
    const platform::AURenderPullInputBlock& pullInPlace() const { return pull_; }

private:
    platform::AUAudioFrameCount frames_;
    std::array<std::vector<float>, 2> samples_;
    platform::AudioBufferList list_{};
    platform::AURenderPullInputBlock pull_;
};

platform::AUAudioUnitStatus renderAudio(const platform::AUInternalRenderBlock& block,
                                        HostAudioBuffers& audio);

} // namespace vantrel::bench
