#include "host/script/Signal.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>
#include <string>

#include "host/script/Numbers.h"

namespace vantrel::host {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

double number(std::string_view text, std::string_view signal) {
    const auto value = parseDouble(text);
    if (!value)
        throw std::invalid_argument("bad number \"" + std::string(text) + "\" in signal " +
                                    std::string(signal));
    return *value;
}

void expectParts(const std::vector<std::string_view>& parts, std::size_t count, std::string_view signal,
                 std::string_view form) {
    if (parts.size() != count)
        throw std::invalid_argument("bad signal \"" + std::string(signal) + "\": expected " +
                                    std::string(form));
}

} // namespace

float Signal::sampleAt(std::uint64_t at, double sampleRate) const noexcept {
    switch (kind) {
    case Kind::silence:
        return 0.0f;
    case Kind::dc:
        return static_cast<float>(amplitude);
    case Kind::sine:
        return static_cast<float>(
            amplitude * std::sin(2 * std::numbers::pi * frequency * static_cast<double>(at) / sampleRate));
    case Kind::impulse:
        return at == frame ? static_cast<float>(amplitude) : 0.0f;
    case Kind::nan:
        return std::numeric_limits<float>::quiet_NaN();
    case Kind::inf:
        return std::numeric_limits<float>::infinity();
    case Kind::samples:
        return values[at % values.size()];
    }
    return 0.0f;
}

Signal parseSignal(std::string_view text) {
    const auto parts = split(text, ':');
    const std::string_view name = parts.front();
    Signal signal;
    if (name == "silence" || name == "nan" || name == "inf") {
        expectParts(parts, 1, text, name);
        signal.kind = name == "silence" ? Signal::Kind::silence
                      : name == "nan"   ? Signal::Kind::nan
                                        : Signal::Kind::inf;
    } else if (name == "dc") {
        expectParts(parts, 2, text, "dc:V");
        signal.kind = Signal::Kind::dc;
        signal.amplitude = number(parts[1], text);
    } else if (name == "sine") {
        expectParts(parts, 3, text, "sine:AMP:HZ");
        signal.kind = Signal::Kind::sine;
        signal.amplitude = number(parts[1], text);
        signal.frequency = number(parts[2], text);
    } else if (name == "impulse") {
        expectParts(parts, 3, text, "impulse:AMP:FRAME");
        signal.kind = Signal::Kind::impulse;
        signal.amplitude = number(parts[1], text);
        const auto frame = parseUnsigned(parts[2]);
        if (!frame)
            throw std::invalid_argument("bad frame \"" + std::string(parts[2]) + "\" in signal " +
                                        std::string(text));
        signal.frame = *frame;
    } else if (name == "samples") {
        expectParts(parts, 2, text, "samples:V,V,...");
        signal.kind = Signal::Kind::samples;
        for (const std::string_view value : split(parts[1], ','))
            signal.values.push_back(static_cast<float>(number(value, text)));
    } else {
        throw std::invalid_argument(
            "unknown signal \"" + std::string(text) +
            "\" (silence, dc:V, sine:AMP:HZ, impulse:AMP:FRAME, nan, inf, samples:V,...)");
    }
    return signal;
}

} // namespace vantrel::host
