#pragma once
// The log lines the plug-ins may write: every line must be one of their own forms, with the
// subsystem, category and level of its log.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/log/LogSink.h"

namespace vantrel::simulation {

// Who a line says wrote it, so that the simulation can check that it is still alive.
struct LogOrigin {
    enum class Kind { monitor, meter } kind = Kind::monitor;
    std::optional<std::uint32_t> uid;        // monitor lines that name the uid
    std::optional<std::uint32_t> instanceID; // meter lines that name the instance number
    bool creation = false;                   // written while the instance is being created
};

// The line's origin, or the complaint when the line is none of the system's forms.
struct LogForm {
    std::optional<LogOrigin> origin;
    std::string complaint;
};

LogForm classifyLogLine(const platform::LogRecord& record);

} // namespace vantrel::simulation
