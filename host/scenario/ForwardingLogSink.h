#pragma once
// A log sink that hands every record to a function: the trace of a scenario run, the demo's
// list of recent lines.

#include <functional>
#include <utility>

#include "platform/log/LogSink.h"

namespace vantrel::host {

class ForwardingLogSink final : public platform::LogSink {
public:
    using Forward = std::function<void(const platform::LogRecord&)>;
    explicit ForwardingLogSink(Forward forward) : forward_(std::move(forward)) {}
    void write(platform::LogRecord record) override { forward_(record); } // [any]

private:
    Forward forward_;
};

} // namespace vantrel::host
