#include "host/scenario/Trace.h"

#include <cinttypes>

namespace vantrel::host {

void Trace::write(platform::TimePoint time, std::string_view kind, std::string_view details) {
    std::string line = formatTraceTime(time);
    line += ' ';
    line += kind;
    if (!details.empty()) {
        line += ' ';
        line += details;
    }
    line += '\n';
    std::lock_guard guard(mutex_);
    if (closed_) return;
    std::fwrite(line.data(), 1, line.size(), stream_);
    if (flushEachLine_) std::fflush(stream_);
}

void Trace::close() {
    std::lock_guard guard(mutex_);
    closed_ = true;
    std::fflush(stream_);
}

std::string formatTraceTime(platform::TimePoint time) {
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(time).count();
    char text[32];
    std::snprintf(text, sizeof text, "%" PRId64 ".%03" PRId64, static_cast<std::int64_t>(micros / 1000),
                  static_cast<std::int64_t>(micros % 1000));
    return text;
}

std::string compactJSON(const platform::Value& value) {
    return value.dump(-1, ' ', false, platform::Value::error_handler_t::replace);
}

} // namespace vantrel::host
