#pragma once
// The track number as the receiver hands it over (in the mapping file) and as a host hands it
// back (in the saved state).

#include <cstdint>
#include <optional>

#include "platform/core/Value.h"

namespace vantrel::meter {

// Any whole number, limited to 0..127: one too large for 64 bits is still just out of range, so
// it is 127 (or 0 when hugely negative), not a malformed value. Fractions, NaN, infinities and
// non-numbers are none; booleans are 0 or 1. [any]
std::optional<std::uint8_t> trackNumberValue(const platform::Value& value);

} // namespace vantrel::meter
