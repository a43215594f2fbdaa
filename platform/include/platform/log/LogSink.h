#pragma once
// Where the process's log lines go: the unified log, the plain system log and standard output
// all end in the one sink of the platform in force, each line with the platform time.

#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dispatch/Time.h"

namespace platform {

enum class LogKind { unified, systemLog, standardOutput };

// `notice` is the unified log's default level and is named "default".
enum class LogLevel { debug, info, notice, error, fault };

struct LogRecord {
    LogKind kind;
    std::string subsystem; // unified log only
    std::string category;  // unified log only
    LogLevel level;
    std::string text;
    TimePoint time;

    bool operator==(const LogRecord&) const = default;
};

std::string_view levelName(LogLevel level); // "debug", "info", "default", "error", "fault"
// The record as a trace shows it, without the time: "log SUBSYSTEM/CATEGORY LEVEL TEXT",
// "syslog TEXT" or "stdout TEXT".
std::string describe(const LogRecord& record);

class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void write(LogRecord record) = 0; // [any]
};

// Keeps every record for tests and traces; a listener sees each one as it is written.
class CapturingLogSink final : public LogSink {
public:
    using Listener = std::function<void(const LogRecord&)>;

    void write(LogRecord record) override;  // [any]
    std::vector<LogRecord> records() const; // [any]
    // The texts of the records of one kind, in order. [any]
    std::vector<std::string> texts(LogKind kind) const;
    void clear(); // [any]
    // Called after each record is kept, outside the sink's lock; null to stop. [any]
    void setListener(Listener listener);

private:
    mutable std::mutex mutex_;
    std::vector<LogRecord> records_;
    std::shared_ptr<const Listener> listener_;
};

// Writes each log record as one line "TIME KIND DETAILS" (milliseconds, three decimals) to the
// log stream, standard error by default. A line the system prints to standard output is the
// process's own output: it goes to the output stream as printed, without time or kind.
class StreamLogSink final : public LogSink {
public:
    explicit StreamLogSink(std::FILE* logStream = stderr, std::FILE* outputStream = stdout)
        : logStream_(logStream), outputStream_(outputStream) {}
    void write(LogRecord record) override; // [any]

private:
    void writeLine(std::FILE* stream, const std::string& line);

    std::mutex mutex_;
    std::FILE* logStream_;
    std::FILE* outputStream_;
};

} // namespace platform
