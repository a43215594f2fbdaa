#pragma once
// What no receiver shows by itself: an instance whose Heartbeats stopped (stale after 3 s), one
// that reports without ever having sent a Heartbeat, and a uid that two live instances share
// (their Heartbeats arrive twice as often as one instance sends them).

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <vector>

#include "receiver/ReceiverState.h"

namespace vantrel::receiver {

struct InstanceFlags {
    std::optional<std::chrono::steady_clock::duration> sinceHeartbeat; // none: never heard one
    bool stale = false;
    bool withoutHeartbeat = false;
    bool sharedUid = false;
};

class InstanceWatch {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr auto staleAfter = std::chrono::seconds(3);

    // Takes the receiver's table as it is at `now`; call a few times a second. [main]
    void observe(const std::vector<MonitorReport>& monitors, Clock::time_point now);
    InstanceFlags flags(std::uint32_t uid) const; // [main] As of the last observe().

private:
    struct Sample {
        Clock::time_point time;
        std::uint64_t heartbeats;
    };
    struct Seen {
        std::optional<Clock::time_point> lastHeartbeat;
        std::deque<Sample> samples; // the last staleAfter and one more
        bool reported = false;
    };
    std::map<std::uint32_t, Seen> seen_;
    Clock::time_point now_{};
};

} // namespace vantrel::receiver
