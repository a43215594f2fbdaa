#pragma once
// The Heartbeats of one controller-monitor instance: the immediate ones (when a saved identity is
// restored, and at the 300 ms start decision) and the timer's, which come on a tick, no earlier
// than the 100th tick and at most one per 100 ticks.

#include <optional>
#include <string>
#include <vector>

#include "platform/dispatch/Time.h"

namespace vantrel::simulation {

class HeartbeatCheck {
public:
    explicit HeartbeatCheck(platform::TimePoint created) : created_(created) {}

    // A Heartbeat that arrived at `now`; `restoring`: during the host's restore of this instance,
    // `inStep`: outside the platform's queued work.
    void arrived(platform::TimePoint now, bool inStep, bool restoring, std::vector<std::string>& violations);

    std::size_t timerHeartbeats() const { return timerHeartbeats_; }

private:
    platform::TimePoint created_;
    bool startDecisionSent_ = false;
    std::optional<platform::TimePoint> lastTimerHeartbeat_;
    std::size_t timerHeartbeats_ = 0;
};

} // namespace vantrel::simulation
