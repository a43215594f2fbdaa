#include "host/script/Numbers.h"

#include <charconv>

namespace vantrel::host {

namespace {

template <typename T> std::optional<T> whole(std::string_view text, int base) {
    T value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

bool hexPrefix(std::string_view text) {
    return text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

} // namespace

std::optional<std::uint64_t> parseUnsigned(std::string_view text) {
    if (hexPrefix(text)) return whole<std::uint64_t>(text.substr(2), 16);
    return whole<std::uint64_t>(text, 10);
}

std::optional<std::int64_t> parseSigned(std::string_view text) {
    if (hexPrefix(text)) {
        const auto value = whole<std::uint64_t>(text.substr(2), 16);
        if (!value || *value > static_cast<std::uint64_t>(INT64_MAX)) return std::nullopt;
        return static_cast<std::int64_t>(*value);
    }
    return whole<std::int64_t>(text, 10);
}

std::optional<double> parseDouble(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

} // namespace vantrel::host
