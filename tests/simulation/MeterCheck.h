#pragma once
// One render call of an audio meter as the host makes it, and what must hold after it: the output
// buffers hold exactly what the pull-input block put there, bit for bit, or are untouched when it
// was not called; and the peaks of each 2048-frame window, NaNs ignored, go out in one message.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Scenario.h"
#include "platform/audiounit/AURenderBlock.h"

namespace vantrel::simulation {

// The host's buffers and pull-input block for one call of an AudioStep, with input samples from
// `sampleSeed`.
class HostRender {
public:
    HostRender(const AudioStep& step, std::uint64_t sampleSeed);
    HostRender(const HostRender&) = delete;
    HostRender& operator=(const HostRender&) = delete;

    platform::AUAudioUnitStatus render(const platform::AUInternalRenderBlock& block);

    // None when the buffers and the pull calls are as they must be; `alive`: the instance existed.
    std::optional<std::string> difference(bool alive, platform::AUAudioUnitStatus status) const;
    // The largest magnitude of what the meter can read of buffer `index` (0 when it has none).
    float peak(std::uint32_t index) const;
    bool pulledSuccessfully() const { return pulls_ == 1 && step_.pullStatus == platform::noErr; }

private:
    const AudioStep& step_;
    std::vector<std::vector<float>> input_;
    std::vector<std::vector<float>> output_;
    std::vector<std::vector<float>> untouched_;
    platform::AudioBufferList list_{};
    platform::AURenderPullInputBlock pull_;
    int pulls_ = 0;
    std::optional<std::string> pullComplaint_;
};

// The window of frames one meter message covers.
class PeakWindow {
public:
    static constexpr std::uint32_t sendInterval = 2048;

    // A successful render call of `frames` frames with these block peaks; true when it completes
    // a window, whose values are then in `due()`.
    bool add(std::uint32_t frames, float peakL, float peakR);
    std::pair<std::uint8_t, std::uint8_t> due() const { return due_; }

private:
    std::uint32_t frames_ = 0;
    float peakL_ = 0;
    float peakR_ = 0;
    std::pair<std::uint8_t, std::uint8_t> due_{};
};

} // namespace vantrel::simulation
