#pragma once
// What the simulation must know of a controller monitor's timing: its timer (first tick 500 ms
// after creation, then every 10 ms), its `sendingEnabled` gate, its Heartbeats, and when armed
// send faults may be failing its sends.

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/dispatch/Time.h"

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
// and the timer's, which come on a tick, no earlier than the 100th and at most one per 100 ticks.
class HeartbeatCheck {
public:
    explicit HeartbeatCheck(platform::TimePoint created) : created_(created) {}

    // `inStep`: outside the platform's queued work; `restoring`: during the host's restore of it.
    void arrived(platform::TimePoint now, bool inStep, bool restoring, std::vector<std::string>& violations) {
        const auto fail = [&](const char* what) { violations.push_back(what + (" at " + timeText(now))); };
        if (inStep) {
            if (!restoring) fail("a Heartbeat outside a restore and outside the timer");
            return;
        }
        if (now == created_ + platform::milliseconds(300)) {
            if (std::exchange(startDecisionSent_, true)) fail("two start-decision Heartbeats");
            return;
        }
        const platform::Duration sinceFirstTick = now - (created_ + firstTickDelay);
        if (sinceFirstTick < platform::Duration::zero() ||
            sinceFirstTick % tickInterval != platform::Duration{})
            return fail("a timer Heartbeat off the tick grid");
        if (sinceFirstTick < tickInterval * 99) fail("a timer Heartbeat before the 100th tick");
        if (lastTimerHeartbeat_ && now - *lastTimerHeartbeat_ < tickInterval * 100)
            fail("two timer Heartbeats less than 100 ticks apart");
        lastTimerHeartbeat_ = now;
        ++timerHeartbeats;
    }

    std::size_t timerHeartbeats = 0;

private:
    platform::TimePoint created_;
    bool startDecisionSent_ = false;
    std::optional<platform::TimePoint> lastTimerHeartbeat_;
};

} // namespace vantrel::simulation
