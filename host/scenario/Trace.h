#pragma once
// The trace of a run: one line "TIME KIND DETAILS" per event, in the order the events happen.
// TIME is the platform time in milliseconds with three decimals. Lines written from several
// threads (a live run) never mix.

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/core/Value.h"
#include "platform/dispatch/Time.h"

namespace vantrel::host {

class Trace {
public:
    // `flushEachLine`: for live runs, where someone may be watching the lines come.
    explicit Trace(std::FILE* stream, bool flushEachLine = false)
        : stream_(stream), flushEachLine_(flushEachLine) {}

    // [any] Does nothing once the trace is closed.
    void write(platform::TimePoint time, std::string_view kind, std::string_view details);
    // [any] No line is written after this returns; the stream is flushed.
    void close();

private:
    std::mutex mutex_;
    std::FILE* stream_;
    bool flushEachLine_;
    bool closed_ = false;
};

// "300.000": milliseconds with exactly three decimals.
std::string formatTraceTime(platform::TimePoint time);
// Compact JSON with sorted keys; text that is not valid UTF-8 is replaced, never thrown on.
std::string compactJSON(const platform::Value& value);

} // namespace vantrel::host
