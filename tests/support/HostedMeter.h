#pragma once
// An audio meter as a host holds it, on virtual time: a simulated platform, the receiver
// substitute (its destination up only when a test brings it up), the host's audio buffers with
// their pull-input block, and the receiver's mapping file.

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "receiver/Receiver.h"
#include "meter/common/audiounit/TolvaneAudioMeterExtensionAudioUnit.h"
#include "platform/sim/SimulatedPlatform.h"

namespace vantrel::test {

// The host's side of render calls: output buffers of `frames` samples, and a pull-input block that
// copies its input into them and then returns `pullStatus`.
class HostAudio {
public:
    explicit HostAudio(platform::AUAudioFrameCount frames, std::uint32_t buffers = 2);
    HostAudio(const HostAudio&) = delete;
    HostAudio& operator=(const HostAudio&) = delete;

    platform::AUAudioFrameCount frames() const { return frames_; }
    // The input of channel 0 (left) or 1 (right), repeated or cut to the frame count.
    void setInput(std::uint32_t channel, const std::vector<float>& samples);
    platform::AudioBufferList& list() { return list_; }
    const platform::AURenderPullInputBlock& pullInputBlock() const { return pull_; }

    platform::AUAudioUnitStatus pullStatus = platform::noErr;

private:
    platform::AUAudioFrameCount frames_;
    std::array<std::vector<float>, 2> input_;
    std::array<std::vector<float>, 2> output_;
    platform::AudioBufferList list_{};
    platform::AURenderPullInputBlock pull_;
};

// One render call over the host's buffers, with their pull block unless another is given.
platform::AUAudioUnitStatus render(const platform::AUInternalRenderBlock& block, HostAudio& audio);
platform::AUAudioUnitStatus render(const platform::AUInternalRenderBlock& block, HostAudio& audio,
                                   const platform::AURenderPullInputBlock& pullInputBlock);

class HostedMeter {
public:
    using Unit = meter::TolvaneAudioMeterExtensionAudioUnit;

    std::shared_ptr<Unit> createUnit();
    // What the receiver heard from `unit` (all zero when nothing).
    vantrel::receiver::MeterReport heardFrom(const Unit& unit) const;
    // The system log's lines, or only those that begin with `start`.
    std::vector<std::string> systemLog(const std::string& start = "") const;

    std::filesystem::path mappingPath() const;
    // Writes the mapping file with a modification date later than any before; false when it
    // cannot be written.
    bool writeMapping(const std::string& content);
    // {"<instanceID>": {"trackNr": trackNr, "trackName": trackName}}
    static std::string mappingFor(std::uint8_t instanceID, int trackNr, const std::string& trackName);

    mutable platform::SimulatedPlatform sim; // first: outlives everything below
    vantrel::receiver::Receiver receiver{*sim.applicationSupportDirectory()};

private:
    platform::FileTime lastMappingDate_{};
};

} // namespace vantrel::test
