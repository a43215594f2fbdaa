#pragma once
// The audio-meter plug-in's audio unit: a stereo effect that passes its audio through untouched
// and, every 2048 frames, sends the peaks of both channels with its instance number and track
// number to the receiver application as one PeakMeterMessage.
//
// A host creates it with std::make_shared (construction throws the base's or the bus's
// PlatformError), may restore fullState, allocates render resources, and calls the block from
// internalRenderBlock() on its render thread. The block and the MIDI notify handler never keep
// the unit alive; once it is gone they do nothing.

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "meter/common/audiounit/CallbackGate.h"
#include "platform/audiounit/AUAudioUnit.h"
#include "platform/core/Published.h"
#include "platform/files/FileSystem.h"
#include "platform/midi/MIDIServices.h"
#include "protocol/ReceiverMessages.h"

namespace vantrel::meter {

class TolvaneAudioMeterExtensionAudioUnit final : public platform::AUAudioUnit {
public:
    static constexpr std::int32_t targetUniqueID = protocol::KVRT;
    static constexpr std::uint32_t sendIntervalSamples = 2048;
    static constexpr std::uint32_t mappingCheckInterval = 88200;

    // Takes the next instance number before anything else, so that a construction that fails
    // uses it up too. [host]
    TolvaneAudioMeterExtensionAudioUnit(const platform::AudioComponentDescription& componentDescription,
                                        platform::AudioComponentInstantiationOptions options);
    // Waits for a render call or MIDI notification still inside, then disposes of the MIDI
    // client and output port. [host]
    ~TolvaneAudioMeterExtensionAudioUnit() override;

    // One bus, 44100 Hz stereo, in both arrays. [host]
    std::shared_ptr<platform::AUAudioUnitBusArray> inputBusses() override;
    std::shared_ptr<platform::AUAudioUnitBusArray> outputBusses() override;
    // [2, 2]: two input channels to two output channels. [host]
    std::optional<std::vector<int>> channelCapabilities() const override;
    // The meter cannot be bypassed: always false, and setting it does nothing. [any]
    bool shouldBypassEffect() const override;
    void setShouldBypassEffect(bool bypass) override;

    // The base's state plus "qvTrackNr" and "qvTrackName". [host]
    std::optional<platform::Dictionary> fullState() const override;
    // Takes "qvTrackNr" (a whole number, limited to 0..127) and "qvTrackName" (text) where present
    // and well typed, and logs the restore, also for an absent state. [host]
    void setFullState(const std::optional<platform::Dictionary>& state) override;

    // Base first (its error goes to the host), then reads the mapping file. [host]
    void allocateRenderResources() override;

    // The render block: pulls the input straight into the host's output buffers, keeps the peaks
    // and sends them every 2048 frames; paced by frame counts it retries the destination search
    // while the link is down and reads the mapping file while the track is unknown. A buffer
    // shorter than the frame count is scanned only as far as it reaches. [host] The block:
    // [render], allocates nothing outside those two paced duties.
    platform::AUInternalRenderBlock internalRenderBlock() override;

    std::uint8_t instanceID() const { return instanceID_; }                         // [any]
    std::uint8_t trackNr() const { return trackNr_.load(); }                        // [any]
    std::string trackName() const { return trackName_.copy(); }                     // [any but render]
    platform::MIDIClientRef midiClient() const { return midiClient_.load(); }       // [any]
    platform::MIDIPortRef midiOutputPort() const { return midiOutputPort_.load(); } // [any]
    platform::MIDIEndpointRef targetDestination() const { return targetDestination_.load(); } // [any]

private:
    TolvaneAudioMeterExtensionAudioUnit(std::uint8_t instanceID,
                                        const platform::AudioComponentDescription& componentDescription,
                                        platform::AudioComponentInstantiationOptions options);

    static std::uint8_t takeNextInstanceID() noexcept;

    void setupCoreMIDI();
    void findTargetDestination() noexcept;
    platform::AUAudioUnitStatus render(platform::AudioUnitRenderActionFlags* actionFlags,
                                       const platform::AudioTimeStamp* timestamp,
                                       platform::AUAudioFrameCount frameCount,
                                       platform::AudioBufferList* outputData,
                                       const platform::AURenderPullInputBlock& pullInputBlock) noexcept;
    // Out of line and cold, so that the render call between them stays small: the retried search
    // and the end of a send window (the send, the paced mapping check, a new window). [render]
    [[gnu::cold, gnu::noinline]] void searchWhileUnlinked(platform::AUAudioFrameCount frameCount) noexcept;
    [[gnu::cold, gnu::noinline]] void endSendWindow() noexcept;
    void send(std::uint8_t peakL, std::uint8_t peakR) noexcept;
    void checkMappingFile() noexcept;

    // Frames without a link after which the render path looks for the destination again.
    static constexpr std::uint32_t destSearchInterval = 88200;

    // 1..127, then 1 again: the number the next instance of this process takes.
    static std::atomic<std::uint8_t> nextInstanceID;

    std::atomic<platform::MIDIClientRef> midiClient_{0};
    const std::uint8_t instanceID_;
    std::atomic<std::uint8_t> trackNr_{0};
    platform::Published<std::string> trackName_;

    // What every render call reads or writes, in one cache line: the link it checks and the
    // window it counts.
    alignas(64) std::atomic<platform::MIDIPortRef> midiOutputPort_{0};
    std::atomic<platform::MIDIEndpointRef> targetDestination_{0};
    // Render thread only.
    float currentPeakL_ = 0;
    float currentPeakR_ = 0;
    std::uint32_t samplesSinceLastSend_ = 0;
    std::uint32_t destSearchCounter_ = 0;
    std::uint32_t mappingCheckCounter_ = 0;

    // Set while a mapping check runs; a check that finds it set skips instead of waiting, as the
    // one under way reads the same file. It also hands lastMappingModDate_ from check to check.
    std::atomic<bool> mappingCheckRunning_{false};
    std::optional<platform::FileTime> lastMappingModDate_;

    std::shared_ptr<platform::AUAudioUnitBus> _outputBus;
    std::shared_ptr<platform::AUAudioUnitBusArray> _inputBusArray;
    std::shared_ptr<platform::AUAudioUnitBusArray> _outputBusArray;

    // Last, so that it closes first when construction fails part-way.
    CallbackGate<TolvaneAudioMeterExtensionAudioUnit> callbackGate_{this};
};

} // namespace vantrel::meter
