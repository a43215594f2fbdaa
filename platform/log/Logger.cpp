#include "platform/log/Logger.h"

#include "platform/Platform.h"
#include "platform/dispatch/Executor.h"

namespace platform {

namespace {

void emit(LogKind kind, std::string subsystem, std::string category, LogLevel level, std::string_view text) {
    const Platform& platform = Platform::current();
    platform.log->write(LogRecord{kind, std::move(subsystem), std::move(category), level, std::string(text),
                                  platform.executor->now()});
}

} // namespace

void Logger::log(LogLevel level, std::string_view text) const {
    emit(LogKind::unified, subsystem_, category_, level, text);
}

void NSLog(std::string_view text) {
    emit(LogKind::systemLog, {}, {}, LogLevel::notice, text);
}

void printLine(std::string_view text) {
    emit(LogKind::standardOutput, {}, {}, LogLevel::notice, text);
}

} // namespace platform
