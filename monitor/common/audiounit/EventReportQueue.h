#pragma once
// The pending EventReports (`outBuffer`) between the render thread and the heartbeat timer: at most
// `outBufferSize` reports in arrival order, in fixed storage, so that neither side allocates.
// Not locked itself: every call is made under the instance's `outBufferLock`.

#include <array>
#include <cstddef>
#include <span>

#include "protocol/ReceiverMessages.h"

namespace vantrel::monitor {

class EventReportQueue {
public:
    static constexpr std::size_t outBufferSize = 256;

    // Appends the report unless `outBufferSize` are pending; false when it was dropped. [render]
    // Never allocates.
    bool tryAppend(const protocol::EventReport& report) noexcept;

    // Hands out everything appended since the last take, in arrival order, and leaves the queue
    // empty. The reports stay valid, and untouched by appends, until the next take, so one taker
    // reads them after releasing the lock. [timer] Constant time; never allocates.
    std::span<const protocol::EventReport> takeAll() noexcept;

private:
    using Storage = std::array<protocol::EventReport, outBufferSize>;

    // The counts first: the take of a tick with nothing to send reads no further.
    std::size_t filling_ = 0;
    std::size_t count_ = 0;
    // Two halves: appends fill one while the taker reads the other.
    std::array<Storage, 2> halves_{};
};

} // namespace vantrel::monitor
