#include "frame/common/ui/FloatText.h"

#include <array>
#include <charconv>
#include <cmath>

namespace vantrel {

std::string shortestFloatText(float value) {
    // Fixed notation: even the largest float is 39 digits, so no exponent is ever written.
    std::array<char, 64> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
    std::string text(buffer.data(), result.ptr);
    if (std::isfinite(value) && text.find('.') == std::string::npos) text += ".0";
    return text;
}

} // namespace vantrel
