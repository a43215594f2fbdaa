#pragma once
// The EventReports of one controller-monitor instance: what its render path queued, in order, and
// what reached the receiver, tick by tick. Every tick sends what was queued since the tick before,
// so each batch of arrivals must be the reports rendered since the previous batch, in order and
// once each; only the tail beyond the 256-entry bound may be missing, or, while an armed send fault
// may have struck, any reports, as long as those that arrive form one unbroken run.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "LinkModel.h"
#include "host/script/Script.h"
#include "protocol/ReceiverMessages.h"

namespace vantrel::simulation {

class ReportCheck {
public:
    static constexpr std::size_t queueBound = 256;

    // `firstTick`: when the instance's timer first drains its queue.
    explicit ReportCheck(platform::TimePoint firstTick) : lastDrain_(firstTick) {}

    // One event of a render call that got past the gate (instance alive, sending enabled,
    // connected); queues a report when the event is one that is reported and its value changed.
    void rendered(const host::ScriptEvent& event, const protocol::InstanceTag& tag, platform::TimePoint now);
    // A report that reached a destination in a tick at `now`.
    void arrived(std::span<const std::uint8_t> bytes, platform::TimePoint now, const FaultWindows& faults,
                 std::vector<std::string>& violations);
    // Checks the batch that arrived last, once its tick is over.
    void closeBatch(const FaultWindows& faults, std::vector<std::string>& violations);
    // Everything queued must have arrived by `now`, unless a send fault may have struck.
    void settle(platform::TimePoint now, const FaultWindows& faults, std::vector<std::string>& violations);

    std::size_t overflows() const { return overflows_; }

private:
    struct Expected {
        std::vector<std::uint8_t> bytes; // InstanceTag then the event bytes
        platform::TimePoint renderTime;
    };

    // Last reported value per key: channel in the high byte, controller (or 0x80 pressure, 0x81
    // pitch wheel) in the low.
    std::array<std::optional<std::uint8_t>, 16 * 256> lastValues_{};
    std::vector<Expected> expected_;
    platform::TimePoint faultsMatterFrom() const;

    std::size_t windowStart_ = 0;   // the first report not yet due in a batch
    platform::TimePoint lastDrain_; // just after the last tick that sent reports (or the first tick)
    std::optional<platform::TimePoint> batchTime_;
    std::vector<std::vector<std::uint8_t>> batch_;
    std::size_t overflows_ = 0;
};

} // namespace vantrel::simulation
