#pragma once
// The meter's arithmetic: the peak of a block of samples and its 0..127 meter value.

#include <cstdint>

#include "meter/common/audiounit/PeakScan.h"

namespace vantrel::meter {

// The largest absolute value of each channel's `count` samples; 0 for a count of 0, whatever the
// pointer. A NaN sample never raises it; an infinite one does. [render] Never allocates.
inline StereoPeaks stereoPeaks(const float* left, std::uint32_t leftCount, const float* right,
                               std::uint32_t rightCount) noexcept {
    return processorPeakScan(left, leftCount, right, rightCount);
}

// The value sent for a channel's peak: -60..0 dBFS linear onto 0..127, worked in 32-bit float;
// 0 at or below about -59.53 dBFS, 127 only from full scale up, infinity included. [render]
std::uint8_t meterValue(float peak) noexcept;

} // namespace vantrel::meter
