#include "receiver/InstanceWatch.h"

namespace vantrel::receiver {

namespace {

// One instance sends one Heartbeat a second; two sharing a uid send two.
constexpr double sharedUidRate = 1.5;

} // namespace

void InstanceWatch::observe(const std::vector<MonitorReport>& monitors, Clock::time_point now) {
    now_ = now;
    for (const MonitorReport& monitor : monitors) {
        Seen& seen = seen_[monitor.uid];
        if (!seen.samples.empty() && monitor.heartbeats > seen.samples.back().heartbeats) seen.lastHeartbeat = now;
        if (seen.samples.empty() && monitor.heartbeats > 0) seen.lastHeartbeat = now;
        seen.reported = monitor.events > 0 || monitor.connectRequests > 0 || monitor.disconnectRequests > 0;
        seen.samples.push_back(Sample{now, monitor.heartbeats});
        while (seen.samples.size() > 2 && now - seen.samples[1].time >= staleAfter)
            seen.samples.pop_front();
    }
}

InstanceFlags InstanceWatch::flags(std::uint32_t uid) const {
    InstanceFlags flags;
    const auto found = seen_.find(uid);
    if (found == seen_.end()) return flags;
    const Seen& seen = found->second;
    if (seen.lastHeartbeat) {
        flags.sinceHeartbeat = now_ - *seen.lastHeartbeat;
        flags.stale = *flags.sinceHeartbeat >= staleAfter;
    }
    flags.withoutHeartbeat = !seen.lastHeartbeat && seen.reported;
    const Sample& first = seen.samples.front();
    const Sample& last = seen.samples.back();
    const std::chrono::duration<double> window = last.time - first.time;
    if (window >= staleAfter) {
        flags.sharedUid = static_cast<double>(last.heartbeats - first.heartbeats) / window.count() > sharedUidRate;
    }
    return flags;
}

} // namespace vantrel::receiver
