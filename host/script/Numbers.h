#pragma once
// Whole-word number readers for script arguments: the whole text must be the number.

#include <cstdint>
#include <optional>
#include <string_view>

namespace vantrel::host {

std::optional<std::uint64_t> parseUnsigned(std::string_view text); // decimal, or hexadecimal after 0x
std::optional<std::int64_t> parseSigned(std::string_view text);    // decimal with an optional '-', or 0x...
std::optional<double> parseDouble(std::string_view text);          // decimal, exponent, nan, inf

} // namespace vantrel::host
