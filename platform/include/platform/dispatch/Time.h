#pragma once
// Platform time: a duration since the executor started (virtual under simulation).

#include <chrono>

namespace platform {

using Duration = std::chrono::nanoseconds;
using TimePoint = Duration;

constexpr Duration milliseconds(double ms) {
    return Duration(static_cast<Duration::rep>(ms * 1e6));
}
constexpr Duration seconds(double s) {
    return Duration(static_cast<Duration::rep>(s * 1e9));
}

} // namespace platform
