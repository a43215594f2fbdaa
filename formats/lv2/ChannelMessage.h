#pragma once
// A channel message of one to three bytes, nearly all a MIDI effect passes: read whole before
// anything is written, since byte stores may alias anything, and copied in one fixed size rather
// than through a call.

#include <array>
#include <cstddef>
#include <cstdint>

namespace vantrel::lv2 {

using ChannelMessage = std::array<std::uint8_t, 3>;

// The bytes past `length` (1 to 3) read as zero.
inline ChannelMessage readChannelMessage(const std::uint8_t* bytes, std::size_t length) noexcept {
    return {bytes[0], length > 1 ? bytes[1] : std::uint8_t{0}, length > 2 ? bytes[2] : std::uint8_t{0}};
}

} // namespace vantrel::lv2
