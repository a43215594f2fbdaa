#include <gtest/gtest.h>

#include "receiver/InstanceWatch.h"

namespace vantrel::receiver {
namespace {

using namespace std::chrono_literals;

// The receiver's table for one uid as it stood at one moment.
struct Moment {
    std::chrono::milliseconds at;
    std::uint64_t heartbeats;
    std::uint64_t events = 0;
};

struct WatchCase {
    const char* name;
    std::vector<Moment> moments;
    bool stale;
    bool withoutHeartbeat;
    bool sharedUid;
};

class InstanceWatchFlags : public testing::TestWithParam<WatchCase> {};

TEST_P(InstanceWatchFlags, FlagWhatTheTableAloneDoesNotShow) {
    InstanceWatch watch;
    const auto start = InstanceWatch::Clock::time_point{} + 1h;
    for (const Moment& moment : GetParam().moments) {
        MonitorReport report;
        report.uid = 7;
        report.heartbeats = moment.heartbeats;
        report.events = moment.events;
        watch.observe({report}, start + moment.at);
    }
    const InstanceFlags flags = watch.flags(7);
    EXPECT_EQ(flags.stale, GetParam().stale);
    EXPECT_EQ(flags.withoutHeartbeat, GetParam().withoutHeartbeat);
    EXPECT_EQ(flags.sharedUid, GetParam().sharedUid);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InstanceWatchFlags,
    testing::Values(
        WatchCase{"OneHeartbeatASecond", {{0ms, 1}, {1000ms, 2}, {2000ms, 3}, {3000ms, 4}, {4000ms, 5}}, false,
                  false, false},
        WatchCase{"HeartbeatsStoppedJustUnderThreeSeconds", {{0ms, 1}, {1000ms, 2}, {3999ms, 2}}, false, false,
                  false},
        WatchCase{"HeartbeatsStoppedThreeSeconds", {{0ms, 1}, {1000ms, 2}, {4000ms, 2}}, true, false, false},
        WatchCase{"ReportsWithoutAnyHeartbeat", {{0ms, 0, 1}, {500ms, 0, 3}}, false, true, false},
        WatchCase{"SilentWithoutHeartbeat", {{0ms, 0}, {5000ms, 0}}, false, false, false},
        WatchCase{"TwoInstancesOneUid", {{0ms, 2}, {1000ms, 4}, {2000ms, 6}, {3000ms, 8}, {4000ms, 10}}, false,
                  false, true},
        // A burst right after a reconnect is not two instances: the rate counts over 3 s only.
        WatchCase{"BurstShorterThanTheWindow", {{0ms, 1}, {500ms, 4}, {1000ms, 5}}, false, false, false},
        WatchCase{"SharedUidEndedLongAgo",
                  {{0ms, 2}, {1000ms, 4}, {2000ms, 6}, {3000ms, 8}, {4000ms, 9}, {5000ms, 10}, {6000ms, 11},
                   {7000ms, 12}, {8000ms, 13}},
                  false, false, false}),
    [](const testing::TestParamInfo<WatchCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace vantrel::receiver
