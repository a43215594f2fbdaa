#pragma once
// The meter's arithmetic: the peak of a block of samples and its 0..127 meter value.

#include <cstdint>

#include "meter/common/audiounit/PeakScan.h"

namespace vantrel::meter {

// The largest absolute value of `count` samples; 0 for none (null or count 0). A NaN sample never
// raises it; an infinite one does. [render] Never allocates.
// Inline, so that a render call pays one call per channel.
inline float blockPeak(const float* samples, std::uint32_t count) noexcept {
    return samples == nullptr ? 0.0f : processorPeakScan(samples, count);
}

// The value sent for a channel's peak: -60..0 dBFS linear onto 0..127, worked in 32-bit float;
// 0 at or below about -59.53 dBFS, 127 only from full scale up, infinity included. [render]
std::uint8_t meterValue(float peak) noexcept;

} // namespace vantrel::meter
