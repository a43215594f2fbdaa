#include "meter/common/audiounit/TrackNumber.h"

#include <algorithm>
#include <cmath>

namespace vantrel::meter {

std::optional<std::uint8_t> trackNumberValue(const platform::Value& value) {
    if (const auto number = platform::integerValue(value))
        return static_cast<std::uint8_t>(std::clamp<std::int64_t>(*number, 0, 127));
    if (value.is_number_unsigned()) return 127; // above the signed 64-bit range
    if (!value.is_number_float()) return std::nullopt;
    const double number = value.get<double>();
    if (!std::isfinite(number) || std::trunc(number) != number) return std::nullopt;
    return number > 0 ? 127 : 0;
}

} // namespace vantrel::meter
