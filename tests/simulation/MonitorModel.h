#pragma once
// What the simulation must know of a controller monitor: its timer (first tick 500 ms after
// creation, then every 10 ms), its `sendingEnabled` gate, when armed send faults may be failing
// its sends, its Heartbeats and its EventReports.

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/script/Script.h"
#include "platform/dispatch/Time.h"
#include "protocol/ReceiverMessageDecoder.h"
#include "protocol/ReceiverMessages.h"

namespace vantrel::simulation {

inline constexpr platform::Duration firstTickDelay = platform::milliseconds(500);
inline constexpr platform::Duration tickInterval = platform::milliseconds(10);

inline std::string timeText(platform::TimePoint time) {
    return std::to_string(static_cast<double>(time.count()) / 1e6) + " ms";
}

// A setup-change notification closes the gate when it is handled (at the start of the next
// advance); a tick or the re-search 1 s after the notification opens it again when a readable
// KVRT destination exists. Destinations change only between advances, so one answer holds for a
// whole advance.
class SendingModel {
public:
    explicit SendingModel(platform::TimePoint created) : firstTick_(created + firstTickDelay) {}

    void setupChangeQueued() { pendingDisable_ = true; }
    void advance(platform::TimePoint from, platform::TimePoint to, bool receiverFindable) {
        if (std::exchange(pendingDisable_, false)) {
            enabled_ = false;
            researches_.push_back(from + platform::seconds(1));
        }
        if (!enabled_ && receiverFindable) {
            const auto next = from < firstTick_
                                  ? firstTick_
                                  : firstTick_ + ((from - firstTick_) / tickInterval + 1) * tickInterval;
            enabled_ = next <= to ||
                       std::ranges::any_of(researches_, [&](auto time) { return time > from && time <= to; });
        }
        std::erase_if(researches_, [to](platform::TimePoint time) { return time <= to; });
    }
    bool enabled() const { return enabled_; }

private:
    platform::TimePoint firstTick_;
    bool enabled_ = true;
    bool pendingDisable_ = false;
    std::vector<platform::TimePoint> researches_;
};

// A span opens when a send fault is armed and closes with the first send that arrives after it
// (faults are used up by the very next sends) or when every armed fault is dropped.
class FaultWindows {
public:
    void armFailures(bool armed, platform::TimePoint now) { failures_ = armed, update(now); }
    void armThrows(bool armed, platform::TimePoint now) { throws_ = armed, update(now); }
    void delivered(platform::TimePoint now) { failures_ = throws_ = false, update(now); }
    bool open() const { return failures_ || throws_; }
    // Whether a fault may have been pending at any time in [from, to].
    bool overlap(platform::TimePoint from, platform::TimePoint to) const {
        return (openSince_ && *openSince_ <= to) ||
               std::ranges::any_of(closed_, [&](const auto& s) { return s.first <= to && s.second >= from; });
    }

private:
    void update(platform::TimePoint now) {
        if (open() && !openSince_) openSince_ = now;
        if (!open() && openSince_) closed_.emplace_back(*std::exchange(openSince_, std::nullopt), now);
    }

    bool failures_ = false;
    bool throws_ = false;
    std::optional<platform::TimePoint> openSince_;
    std::vector<std::pair<platform::TimePoint, platform::TimePoint>> closed_;
};

// The immediate Heartbeats (when a saved identity is restored, and at the 300 ms start decision)
// and the timer's, which come on a tick, at most one per 100 ticks, counted from the tick before
// the first. How often exactly is pinned by the scenario traces.
class HeartbeatCheck {
public:
    explicit HeartbeatCheck(platform::TimePoint created)
        : created_(created), lastTimerHeartbeat_(created + firstTickDelay - tickInterval) {}

    // `inStep`: outside the platform's queued work; `restoring`: during the host's restore of it.
    void arrived(platform::TimePoint now, bool inStep, bool restoring, std::vector<std::string>& violations) {
        const auto fail = [&](const char* what) { violations.push_back(what + (" at " + timeText(now))); };
        if (inStep || now == created_ + platform::milliseconds(300)) {
            if (inStep && !restoring) fail("a Heartbeat outside a restore and outside the timer");
            return;
        }
        const platform::Duration sinceLast = now - lastTimerHeartbeat_;
        if (sinceLast % tickInterval != platform::Duration{}) fail("a timer Heartbeat off the tick grid");
        if (sinceLast < tickInterval * 100) fail("a timer Heartbeat less than 100 ticks after the last");
        lastTimerHeartbeat_ = now;
        ++timerHeartbeats;
    }

    std::size_t timerHeartbeats = 0;

private:
    platform::TimePoint created_;
    platform::TimePoint lastTimerHeartbeat_;
};

// The EventReports of one controller monitor: what its render path queued, in order, and what
// reached the receiver, tick by tick. Every tick sends what was queued since the tick before, so
// each batch of arrivals must be the reports rendered since the previous batch, in order and once
// each; only the tail beyond the 256-entry bound may be missing, or, while an armed send fault may
// have struck, any reports, as long as those that arrive form one unbroken run.
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
        const std::string tick = "the tick at " + timeText(drain) + " sent " + std::to_string(batch_.size());
        if (batch_.size() > queueBound) {
            violations.push_back(tick + " reports, more than the queue holds");
        } else if (!faults.overlap(faultsMatterFrom(), drain)) {
            // Untouched by faults: exactly the first reports queued, up to the bound.
            const std::size_t due = std::min(window.size(), queueBound);
            overflows += window.size() > queueBound;
            if (!std::equal(batch_.begin(), batch_.end(), window.begin(), window.begin() + due, sameBytes))
                violations.push_back(tick + " reports, not the first " + std::to_string(due) + " queued");
        } else if (std::search(window.begin(), window.end(), batch_.begin(), batch_.end(), sameBytes) ==
                   window.end()) {
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

    // An arrived report against a queued one, in the argument order either algorithm uses.
    struct SameBytes {
        bool operator()(const std::vector<std::uint8_t>& arrived, const Expected& queued) const {
            return arrived == queued.bytes;
        }
        bool operator()(const Expected& queued, const std::vector<std::uint8_t>& arrived) const {
            return arrived == queued.bytes;
        }
    };
    static constexpr SameBytes sameBytes{};

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
