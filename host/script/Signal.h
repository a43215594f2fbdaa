#pragma once
// A test signal for one channel of a meter's input: silence, a constant, a sine, an impulse,
// NaN, infinity or a list of samples repeated. Frames count from the start of one audio command.

#include <cstdint>
#include <string_view>
#include <vector>

namespace vantrel::host {

struct Signal {
    enum class Kind { silence, dc, sine, impulse, nan, inf, samples };

    Kind kind = Kind::silence;
    double amplitude = 0;      // dc, sine, impulse
    double frequency = 0;      // sine, in Hz
    std::uint64_t frame = 0;   // impulse: the frame that carries it
    std::vector<float> values; // samples: never empty

    // The sample at `frame` of a signal running at `sampleRate`. [any, render] Never allocates.
    float sampleAt(std::uint64_t frame, double sampleRate) const noexcept;
};

// Reads "silence", "dc:V", "sine:AMP:HZ", "impulse:AMP:FRAME", "nan", "inf", "samples:V,V,...".
// Throws std::invalid_argument with a message naming what is wrong.
Signal parseSignal(std::string_view text);

} // namespace vantrel::host
