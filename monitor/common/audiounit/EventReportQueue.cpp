#include "monitor/common/audiounit/EventReportQueue.h"

namespace vantrel::monitor {

bool EventReportQueue::tryAppend(const protocol::EventReport& report) noexcept {
    if (count_ == outBufferSize) return false;
    halves_[filling_][count_++] = report;
    return true;
}

std::span<const protocol::EventReport> EventReportQueue::takeAll() noexcept {
    const std::span<const protocol::EventReport> taken(halves_[filling_].data(), count_);
    filling_ ^= 1;
    count_ = 0;
    return taken;
}

} // namespace vantrel::monitor
