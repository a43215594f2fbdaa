#pragma once
// One render call of an audio meter as the host's audio command makes it, and what must hold
// after it: the buffers hold exactly what the pull-input block put there, bit for bit (nothing
// when it was not to be called), and the peaks of each 2048-frame window, NaNs ignored, go out in
// one message.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "host/script/Script.h"
#include "platform/audiounit/AudioBufferList.h"

namespace vantrel::simulation {

// Call number `call` of `command`, to an instance whose signals run at `sampleRate`.
struct AudioCall {
    const host::AudioCommand& command;
    std::uint32_t call = 0;
    double sampleRate = 44100;

    // `pulled`: the pull-input block was to run and succeed. None when the buffers hold what
    // they must.
    std::optional<std::string> bufferDifference(bool pulled, const platform::AudioBufferList& buffers) const;
    // The largest magnitude the meter can read in the call's buffer `index` (0 when it has none).
    float peak(std::uint32_t index) const;
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
