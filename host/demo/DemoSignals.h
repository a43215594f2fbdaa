#pragma once
// What the demo plays into the plug-ins, made up on the render thread cycle by cycle without
// allocating: MIDI for the two controller monitors (controller sweeps, pitch wheel, pressure,
// notes with key-switches and channel-16 notes) and audio for the two meters (sines, silence).

#include <array>
#include <cstdint>

#include "platform/audiounit/AURenderEvent.h"
#include "platform/audiounit/AudioBufferList.h"

namespace vantrel::host {

inline constexpr double demoSampleRate = 44100;
inline constexpr platform::AUAudioFrameCount demoCycleFrames = 512;

// The key-switch notes the demo's articulation list names.
inline constexpr std::array<int, 4> demoArticulationNotes{24, 25, 26, 27};

// The MIDI of one demo track, one render cycle at a time.
class DemoMIDI {
public:
    static constexpr std::size_t capacity = 32;

    // `style` 0 or 1: the two tracks play different parts. [host]
    explicit DemoMIDI(int style) : style_(style) { lastController_.fill(-1); }

    // The events of cycle `cycle` as one list in fixed storage; null when the cycle has none.
    // [render] Never allocates.
    const platform::AURenderEvent* cycleEvents(std::uint64_t cycle) noexcept;

private:
    void add(std::int64_t sampleTime, std::uint8_t status, std::uint8_t data1, std::uint8_t data2,
             std::uint16_t length = 3) noexcept;

    int style_;
    std::array<platform::AURenderEvent, capacity> events_{};
    std::size_t count_ = 0;
    std::array<int, 128> lastController_{};
    int lastPitchMSB_ = -1;
    int lastPressure_ = -1;
};

// The audio of one demo meter: the left and right channel as the host's pull-input renders them.
class DemoAudio {
public:
    // `style` 0: a sine whose level swells and fades, a quieter one on the right; 1: a sine in
    // bursts, a second of tone then a second of silence, and silence on the right. [host]
    explicit DemoAudio(int style) : style_(style) {}

    // Fills the first `frames` samples of each buffer of `data`. [render] Never allocates.
    void render(platform::AudioBufferList& data, platform::AUAudioFrameCount frames) noexcept;

private:
    int style_;
    std::uint64_t frame_ = 0;
};

} // namespace vantrel::host
