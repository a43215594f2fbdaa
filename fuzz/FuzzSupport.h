#pragma once
// What every fuzz target shares: a check that stops the run with a message (libFuzzer then keeps
// the input as a crash), a byte reader over the input, and JSON read as the platform reads it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>

#include "platform/core/Value.h"

namespace vantrel::fuzz {

inline void require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

// Takes values from the front of the input; past its end every read gives zeros.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

    template <typename T> T take() {
        T value{};
        const std::size_t count = std::min(sizeof(T), bytes_.size());
        std::memcpy(&value, bytes_.data(), count);
        bytes_ = bytes_.subspan(count);
        return value;
    }
    std::span<const std::uint8_t> rest() const { return bytes_; }
    bool empty() const { return bytes_.empty(); }

private:
    std::span<const std::uint8_t> bytes_;
};

// None when the bytes are not JSON.
inline std::optional<platform::Value> parseJSON(std::span<const std::uint8_t> bytes) {
    platform::Value value = platform::Value::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (value.is_discarded()) return std::nullopt;
    return value;
}

} // namespace vantrel::fuzz
