// The monitor's timer as the checks model it: first tick 500 ms after creation, then every 10 ms.
#pragma once

#include "platform/dispatch/Time.h"

namespace vantrel::simulation {

inline constexpr platform::Duration firstTickDelay = platform::milliseconds(500);
inline constexpr platform::Duration tickInterval = platform::milliseconds(10);

} // namespace vantrel::simulation
