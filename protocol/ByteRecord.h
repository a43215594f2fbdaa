#pragma once
// A few bytes held in place, with how many of them count. Messages and their parts are built and
// queued as these records so that encoding never allocates.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace protocol {

template <std::size_t Capacity> struct ByteRecord {
    static_assert(Capacity <= 255, "the length is one byte");

    std::array<std::uint8_t, Capacity> data{};
    std::uint8_t length = 0;

    // The counting bytes. [any, render] Never allocates.
    constexpr std::span<const std::uint8_t> bytes() const noexcept { return {data.data(), length}; }

    // Only the counting bytes take part; what lies beyond `length` is ignored.
    friend constexpr bool operator==(const ByteRecord& a, const ByteRecord& b) noexcept {
        return std::ranges::equal(a.bytes(), b.bytes());
    }
};

} // namespace protocol
