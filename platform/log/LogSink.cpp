#include "platform/log/LogSink.h"

#include <cinttypes>

namespace platform {

std::string_view levelName(LogLevel level) {
    switch (level) {
    case LogLevel::debug:
        return "debug";
    case LogLevel::info:
        return "info";
    case LogLevel::notice:
        return "default";
    case LogLevel::error:
        return "error";
    case LogLevel::fault:
        return "fault";
    }
    return "default";
}

std::string describe(const LogRecord& record) {
    switch (record.kind) {
    case LogKind::unified:
        return "log " + record.subsystem + "/" + record.category + " " +
               std::string(levelName(record.level)) + " " + record.text;
    case LogKind::systemLog:
        return "syslog " + record.text;
    case LogKind::standardOutput:
        return "stdout " + record.text;
    }
    return record.text;
}

void CapturingLogSink::write(LogRecord record) {
    std::shared_ptr<const Listener> listener;
    {
        std::lock_guard guard(mutex_);
        records_.push_back(record);
        listener = listener_;
    }
    if (listener) (*listener)(record);
}

std::vector<LogRecord> CapturingLogSink::records() const {
    std::lock_guard guard(mutex_);
    return records_;
}

std::vector<std::string> CapturingLogSink::texts(LogKind kind) const {
    std::lock_guard guard(mutex_);
    std::vector<std::string> texts;
    for (const LogRecord& record : records_) {
        if (record.kind == kind) texts.push_back(record.text);
    }
    return texts;
}

void CapturingLogSink::clear() {
    std::lock_guard guard(mutex_);
    records_.clear();
}

void CapturingLogSink::setListener(Listener listener) {
    auto shared = listener ? std::make_shared<const Listener>(std::move(listener)) : nullptr;
    std::lock_guard guard(mutex_);
    listener_ = std::move(shared);
}

void StreamLogSink::write(LogRecord record) {
    if (record.kind == LogKind::standardOutput) {
        writeLine(outputStream_, record.text + "\n");
        return;
    }
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(record.time).count();
    char time[32];
    std::snprintf(time, sizeof time, "%" PRId64 ".%03" PRId64, static_cast<std::int64_t>(micros / 1000),
                  static_cast<std::int64_t>(micros % 1000));
    writeLine(logStream_, std::string(time) + " " + describe(record) + "\n");
}

void StreamLogSink::writeLine(std::FILE* stream, const std::string& line) {
    std::lock_guard guard(mutex_);
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fflush(stream);
}

} // namespace platform
