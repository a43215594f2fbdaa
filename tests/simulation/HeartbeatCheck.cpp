#include "HeartbeatCheck.h"

#include "MonitorTiming.h"

#include <string>

namespace vantrel::simulation {

namespace {

constexpr platform::Duration startDecision = platform::milliseconds(300);
constexpr int ticksPerHeartbeat = 100;

std::string at(platform::TimePoint time) {
    return " at " + std::to_string(static_cast<double>(time.count()) / 1e6) + " ms";
}

} // namespace

void HeartbeatCheck::arrived(platform::TimePoint now, bool inStep, bool restoring,
                             std::vector<std::string>& violations) {
    if (inStep) {
        if (!restoring) violations.push_back("a Heartbeat outside a restore and outside the timer" + at(now));
        return;
    }
    if (now == created_ + startDecision) {
        if (startDecisionSent_) violations.push_back("two start-decision Heartbeats" + at(now));
        startDecisionSent_ = true;
        return;
    }
    const platform::Duration sinceFirstTick = now - (created_ + firstTickDelay);
    if (sinceFirstTick < platform::Duration::zero() ||
        sinceFirstTick % tickInterval != platform::Duration::zero()) {
        violations.push_back("a timer Heartbeat off the tick grid" + at(now));
        return;
    }
    if (sinceFirstTick < tickInterval * (ticksPerHeartbeat - 1))
        violations.push_back("a timer Heartbeat before the 100th tick" + at(now));
    if (lastTimerHeartbeat_ && now - *lastTimerHeartbeat_ < tickInterval * ticksPerHeartbeat)
        violations.push_back("two timer Heartbeats less than 100 ticks apart" + at(now));
    lastTimerHeartbeat_ = now;
    ++timerHeartbeats_;
}

} // namespace vantrel::simulation
