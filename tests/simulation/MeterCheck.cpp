#include "MeterCheck.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "meter/common/audiounit/PeakMeter.h"

namespace vantrel::simulation {

namespace {

// The sample the host's pull-input block writes at `frame` of buffer `index`.
float input(const AudioCall& call, std::uint32_t index, std::uint32_t frame) {
    if (index > 1) return 0.0f;
    const host::Signal& signal = index == 0 ? call.command.left : call.command.right;
    return signal.sampleAt(std::uint64_t{call.call} * call.command.frames + frame, call.sampleRate);
}

} // namespace

std::optional<std::string> AudioCall::bufferDifference(bool pulled,
                                                       const platform::AudioBufferList& buffers) const {
    for (std::uint32_t index = 0; index < buffers.mNumberBuffers; ++index) {
        const auto* samples = static_cast<const float*>(buffers.mBuffers[index].mData);
        for (std::uint32_t frame = 0; frame < command.frames; ++frame) {
            const float expected = pulled ? input(*this, index, frame) : 0.0f;
            if (std::bit_cast<std::uint32_t>(samples[frame]) != std::bit_cast<std::uint32_t>(expected))
                return "output buffer " + std::to_string(index) + " frame " + std::to_string(frame) +
                       " differs from its input, bit for bit";
        }
    }
    return std::nullopt;
}

float AudioCall::peak(std::uint32_t index) const {
    if (index >= command.buffers) return 0.0f;
    float peak = 0.0f;
    for (std::uint32_t frame = 0; frame < command.frames; ++frame) {
        const float magnitude = std::fabs(input(*this, index, frame));
        if (!std::isnan(magnitude)) peak = std::max(peak, magnitude);
    }
    return peak;
}

bool PeakWindow::add(std::uint32_t frames, float peakL, float peakR) {
    peakL_ = std::max(peakL_, peakL);
    peakR_ = std::max(peakR_, peakR);
    frames_ += frames;
    if (frames_ < sendInterval) return false;
    due_ = {meter::meterValue(peakL_), meter::meterValue(peakR_)};
    frames_ = 0;
    peakL_ = 0;
    peakR_ = 0;
    return true;
}

} // namespace vantrel::simulation
