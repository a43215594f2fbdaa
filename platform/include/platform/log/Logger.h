#pragma once
// Front-ends of the platform's logs: the unified log (Logger), the plain system log (NSLog) and
// standard output (printLine). Texts are taken as they are, never read as a format. Each line
// goes to the log sink of the platform in force with the platform time. [any, never render]

#include <string>
#include <string_view>
#include <utility>

#include "platform/log/LogSink.h"

namespace platform {

class Logger {
public:
    Logger(std::string subsystem, std::string category)
        : subsystem_(std::move(subsystem)), category_(std::move(category)) {}

    void log(LogLevel level, std::string_view text) const;
    void debug(std::string_view text) const { log(LogLevel::debug, text); }
    void info(std::string_view text) const { log(LogLevel::info, text); }
    void notice(std::string_view text) const { log(LogLevel::notice, text); }
    void error(std::string_view text) const { log(LogLevel::error, text); }
    void fault(std::string_view text) const { log(LogLevel::fault, text); }

    const std::string& subsystem() const { return subsystem_; }
    const std::string& category() const { return category_; }

private:
    std::string subsystem_;
    std::string category_;
};

void NSLog(std::string_view text);
void printLine(std::string_view text);

} // namespace platform
