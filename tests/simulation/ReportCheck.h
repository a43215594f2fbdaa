#pragma once
// The EventReports of one controller monitor: what its render path queued, in order, and what
// reached the receiver, tick by tick. Every tick sends what was queued since the tick before, so
// each batch of arrivals must be the reports rendered since the previous batch, in order and once
// each; only the tail beyond the 256-entry bound may be missing, or, while an armed send fault may
// have struck, any reports, as long as those that arrive form one unbroken run.

#include <array>
#include <ranges>
#include <span>

#include "MonitorModel.h"
#include "host/script/Script.h"
#include "protocol/ReceiverMessageDecoder.h"

namespace vantrel::simulation {

class ReportCheck {
public:
    static constexpr std::size_t queueBound = 256;

    explicit ReportCheck(platform::TimePoint firstTick) : lastDrain_(firstTick) {}

    // An event of a render call that got past the gate (instance alive, sending enabled,
    // connected); queues a report when the event is one that is reported and its value changed.
    void rendered(const host::ScriptEvent& event, const protocol::InstanceTag& tag, platform::TimePoint now) {
        const std::size_t length = event.bytes.size();
        if (event.type != platform::AURenderEventMIDI || length < 1 || length > 3) return;
        const std::uint8_t status = event.bytes[0];
        const std::uint8_t d1 = length > 1 ? event.bytes[1] : 0;
        const std::uint8_t d2 = length > 2 ? event.bytes[2] : 0;
        // Channel in the high byte, controller (or 0x80 pressure, 0x81 pitch wheel) in the low.
        const unsigned channel = unsigned{status & 0x0Fu} << 8;
        const auto kind = status & 0xF0;
        if (kind == 0xB0 || kind == 0xD0 || kind == 0xE0) {
            const unsigned key = kind == 0xB0 ? channel | d1 : kind == 0xD0 ? channel | 0x80 : channel | 0x81;
            auto& last = lastValues_[key];
            const std::uint8_t value = kind == 0xD0 ? d1 : d2;
            if (last == value) return;
            last = value;
        } else if (!(status == 0x9F && length == 3 && d2 != 0)) {
            return;
        }
        Expected entry{{tag.begin(), tag.end()}, now};
        entry.bytes.insert(entry.bytes.end(), event.bytes.begin(), event.bytes.end());
        expected_.push_back(std::move(entry));
    }

    // A report that reached a destination in a tick at `now`.
    void arrived(std::span<const std::uint8_t> bytes, platform::TimePoint now, const FaultWindows& faults,
                 std::vector<std::string>& violations) {
        if (batchTime_ && *batchTime_ != now) closeBatch(faults, violations);
        batchTime_ = now;
        batch_.emplace_back(bytes.begin(), bytes.end());
    }

    // Checks the batch that arrived last, once its tick is over.
    void closeBatch(const FaultWindows& faults, std::vector<std::string>& violations) {
        if (!batchTime_) return;
        const platform::TimePoint drain = *batchTime_;
        // Reports rendered at the tick's own time were rendered after it.
        std::size_t windowEnd = windowStart_;
        while (windowEnd < expected_.size() && expected_[windowEnd].renderTime < drain)
            ++windowEnd;
        const std::span<const Expected> window(expected_.data() + windowStart_, windowEnd - windowStart_);
        const auto matchesAt = [&](std::size_t start) {
            return std::ranges::equal(batch_, window.subspan(start, batch_.size()), {}, {}, &Expected::bytes);
        };
        const std::string tick = "the tick at " + timeText(drain) + " sent " + std::to_string(batch_.size());
        if (batch_.size() > queueBound) {
            violations.push_back(tick + " reports, more than the queue holds");
        } else if (!faults.overlap(faultsMatterFrom(), drain)) {
            // Untouched by faults: exactly the first reports queued, up to the bound.
            const std::size_t due = std::min(window.size(), queueBound);
            overflows += window.size() > queueBound;
            if (batch_.size() != due || !matchesAt(0))
                violations.push_back(tick + " reports, not the first " + std::to_string(due) + " queued");
        } else if (batch_.size() > window.size() ||
                   std::ranges::none_of(std::views::iota(std::size_t{0}, window.size() - batch_.size() + 1),
                                        matchesAt)) {
            violations.push_back(tick + " reports, not one run of the " + std::to_string(window.size()) +
                                 " queued");
        }
        windowStart_ = windowEnd;
        lastDrain_ = drain + platform::Duration(1);
        batchTime_.reset();
        batch_.clear();
    }

    // Everything queued must have arrived by `now`, unless a send fault may have struck.
    void settle(platform::TimePoint now, const FaultWindows& faults, std::vector<std::string>& violations) {
        closeBatch(faults, violations);
        const std::size_t missing = expected_.size() - windowStart_;
        if (missing == 0 || faults.overlap(faultsMatterFrom(), now)) return;
        violations.push_back(std::to_string(missing) + " queued reports never arrived, the first " +
                             protocol::hexString(expected_[windowStart_].bytes) + " rendered at " +
                             timeText(expected_[windowStart_].renderTime));
    }

    std::size_t overflows = 0;

private:
    struct Expected {
        std::vector<std::uint8_t> bytes; // InstanceTag then the event bytes
        platform::TimePoint renderTime;
    };

    // A failed send can only lose a report that is queued: one rendered before the drain, after
    // the previous drain that arrived.
    platform::TimePoint faultsMatterFrom() const {
        if (windowStart_ == expected_.size()) return lastDrain_;
        return std::max(lastDrain_, expected_[windowStart_].renderTime);
    }

    std::array<std::optional<std::uint8_t>, 16 * 256> lastValues_{};
    std::vector<Expected> expected_;
    std::size_t windowStart_ = 0;   // the first report not yet due in a batch
    platform::TimePoint lastDrain_; // just after the last tick that sent reports (or the first tick)
    std::optional<platform::TimePoint> batchTime_;
    std::vector<std::vector<std::uint8_t>> batch_;
};

} // namespace vantrel::simulation
