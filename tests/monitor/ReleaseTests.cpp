// An instance released by the host from inside its own work: nothing of it runs afterwards (run
// under the address sanitizer as well). Release while work is pending is the lifetime scenario's.

#include <gmock/gmock.h>

#include "MonitorTestBench.h"

namespace vantrel::monitor::test {
namespace {

using ::testing::IsEmpty;

// The host lets go while the instance is inside the work that logs `line`, so that this work
// ends up running the destructor.
class ReleaseInsideTest : public MonitorTestBench, public ::testing::WithParamInterface<std::string> {};

TEST_P(ReleaseInsideTest, NothingFollowsTheWorkThatHeldTheLastReference) {
    receiver.up();
    auto unit = createRenderingUnit();
    const auto block = unit->internalRenderBlock();
    std::optional<platform::TimePoint> releasedAt;
    sim.log().setListener([&](const platform::LogRecord& record) {
        if (unit && record.text.find(GetParam()) != std::string::npos) {
            releasedAt = record.time;
            unit.reset();
        }
    });
    sim.midi().postNotification(platform::kMIDIMsgSetupChanged); // heals at 0.5 s, re-search at 1 s
    sim.runDue();
    advanceTo(ms(200));
    connect(*unit);
    advanceTo(ms(5000));
    sim.log().setListener(nullptr);

    ASSERT_TRUE(releasedAt);
    for (const auto& [time, text] : timedMonitorLog())
        EXPECT_LE(time, *releasedAt) << text;
    for (const SentMessage& message : sent)
        EXPECT_LE(message.time, *releasedAt);
    EventList events;
    events.midi({0xB0, 0x07, 0x64});
    EXPECT_EQ(render(block, events.head()), platform::noErr);
    EXPECT_THAT(passed, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Lines, ReleaseInsideTest,
                         ::testing::Values("⏱️ Kein fullState", "✅ Plugin verbunden",
                                           "🔄 Destination selbstheilend", "🔍 Suche neue Destination"));

TEST_F(MonitorTestBench, ReleasedFromInsideItsOwnHeartbeatSend) {
    receiver.up();
    auto unit = createUnit();
    onSend = [&](const SentMessage& message) {
        if (message.time > ms(1000)) unit.reset();
    };
    advanceTo(ms(5000));
    EXPECT_EQ(heartbeatTimes(), (std::vector{ms(300), ms(1490)}));
}

} // namespace
} // namespace vantrel::monitor::test
