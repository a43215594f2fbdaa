#pragma once
// The controller monitor's unified log: subsystem "com.marlek.Vantrel", category "AudioUnit".

#include <string_view>

#include "platform/log/Logger.h"

namespace vantrel::monitor {

const platform::Logger& pluginLog(); // [any]

// Writes `message` at error level with a plug in front. [any but render]
void ccLog(std::string_view message);

} // namespace vantrel::monitor
