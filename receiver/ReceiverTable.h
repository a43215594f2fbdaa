#pragma once
// The receiver's table as text lines, the same on the terminal screen and in plain line mode:
// one line per monitor instance, one per meter, with what the instance watch flags.

#include <string>
#include <vector>

#include "receiver/InstanceWatch.h"
#include "receiver/ReceiverState.h"

namespace vantrel::receiver {

std::vector<std::string> monitorLines(const std::vector<MonitorReport>& monitors, const InstanceWatch& watch);
std::vector<std::string> meterLines(const std::vector<MeterReport>& meters);

} // namespace vantrel::receiver
