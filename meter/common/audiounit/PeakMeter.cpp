#include "meter/common/audiounit/PeakMeter.h"

#include <cmath>

namespace vantrel::meter {

std::uint8_t meterValue(float peak) noexcept {
    const float level = peak > 0.0f ? 20.0f * std::log10(peak) : -100.0f;
    const float value = ((level + 60.0f) / 60.0f) * 127.0f;
    // Limited while still a float: converting an infinite or out-of-range float to an integer is
    // undefined, and a huge peak gives an infinite value.
    const float whole = std::trunc(value);
    if (!(whole > 0.0f)) return 0;
    if (whole >= 127.0f) return 127;
    return static_cast<std::uint8_t>(whole);
}

} // namespace vantrel::meter
