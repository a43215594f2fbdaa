// The meter's render path under the guard in every branch, counting locks and system calls as
// well as allocations: a send window costs exactly what its one MIDISend costs, and every other
// call, between the paced duties, costs nothing.

#include <gtest/gtest.h>

#include "meter/MeterTestBench.h"
#include "protocol/WireSender.h"
#include "rtguard/RealtimeGuard.h"

namespace vantrel::meter::test {
namespace {

using namespace platform;
using platform_test::RealtimeGuard;

class MeterRenderBranch : public MeterTestBench {
protected:
    void SetUp() override {
        if (!RealtimeGuard::available()) GTEST_SKIP() << "no counting under sanitizers";
    }
    // Violations of `calls` render calls through the unit's block.
    static long violationsOf(const AUInternalRenderBlock& block, HostAudio& audio, int calls,
                             const AURenderPullInputBlock& pull) {
        RealtimeGuard guard;
        for (int call = 0; call < calls; ++call)
            render(block, audio, pull);
        return guard.violations();
    }
};

TEST_F(MeterRenderBranch, ASendWindowCostsOnlyItsOneSend) {
    receiver.up();
    const auto unit = createUnit();
    const auto block = unit->internalRenderBlock();
    HostAudio audio(512);
    audio.setInput(0, {0.5f, -0.25f});
    render(block, audio); // a first send window starts here
    EXPECT_EQ(violationsOf(block, audio, 2, audio.pullInputBlock()), 0);

    const long window = violationsOf(block, audio, 1, audio.pullInputBlock());
    const auto message = protocol::makePeakMeterMessage(unit->instanceID(), 0, 100, 0);
    RealtimeGuard guard;
    protocol::sendMessage(unit->midiOutputPort(), unit->targetDestination(), message, MIDISend);
    const long bareSend = guard.violations();
    EXPECT_EQ(heardFrom(*unit).messages, 2u);
    EXPECT_EQ(window, bareSend);
}

// Below the first mapping check (the 44th send) and short of the search that 88200 frames bring.
TEST_F(MeterRenderBranch, EveryOtherCallCostsNothing) {
    const auto unit = createUnit();
    const auto block = unit->internalRenderBlock();
    HostAudio audio(512);
    const AURenderPullInputBlock none;
    EXPECT_EQ(violationsOf(block, audio, 170, audio.pullInputBlock()), 0) << "without a link";
    receiver.up();
    sim.runDue();
    ASSERT_NE(unit->targetDestination(), 0u);
    EXPECT_EQ(violationsOf(block, audio, 8, none), 0) << "without a pull block";
    audio.pullStatus = -10863;
    EXPECT_EQ(violationsOf(block, audio, 8, audio.pullInputBlock()), 0) << "with a failing pull";
    EXPECT_EQ(heardFrom(*unit).messages, 0u);
}

} // namespace
} // namespace vantrel::meter::test
