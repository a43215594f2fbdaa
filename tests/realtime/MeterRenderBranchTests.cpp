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
    // Violations of `calls` render calls through the unit's block.
    static long violationsOf(const AUInternalRenderBlock& block, HostAudio& audio, int calls,
                             const AURenderPullInputBlock* pull = nullptr) {
        RealtimeGuard guard;
        for (int call = 0; call < calls; ++call)
            render(block, audio, pull != nullptr ? *pull : audio.pullInputBlock());
        return guard.violations();
    }
};

TEST_F(MeterRenderBranch, ASendWindowCostsOnlyItsOneSend) {
    if (!RealtimeGuard::available()) GTEST_SKIP() << "no counting under sanitizers";
    const Receiver receiver;
    const auto unit = createUnit();
    const auto block = unit->internalRenderBlock();
    HostAudio audio(512);
    audio.setInput(0, {0.5f, -0.25f});
    render(block, audio); // a first send window starts here
    EXPECT_EQ(violationsOf(block, audio, 2), 0);

    RealtimeGuard windowGuard;
    render(block, audio);
    const long window = windowGuard.violations();
    const std::size_t sent = receiver.count();
    long bareSend = 0;
    {
        const auto message = protocol::makePeakMeterMessage(unit->instanceID(), 0, 100, 0);
        RealtimeGuard guard;
        protocol::sendMessage(unit->midiOutputPort(), unit->targetDestination(), message, MIDISend);
        bareSend = guard.violations();
    }
    EXPECT_EQ(sent, 1u);
    EXPECT_EQ(window, bareSend);
}

TEST_F(MeterRenderBranch, WithTheLinkDownCallsBetweenSearchesCostNothing) {
    if (!RealtimeGuard::available()) GTEST_SKIP() << "no counting under sanitizers";
    const auto unit = createUnit();
    ASSERT_EQ(unit->targetDestination(), 0u);
    const auto block = unit->internalRenderBlock();
    HostAudio audio(512);
    // 170 calls stay short of the search that 88200 frames bring, and pass many send windows.
    EXPECT_EQ(violationsOf(block, audio, 170), 0);
}

TEST_F(MeterRenderBranch, WithoutAPullBlockOrWithAFailedPullNothingIsCounted) {
    if (!RealtimeGuard::available()) GTEST_SKIP() << "no counting under sanitizers";
    const Receiver receiver;
    const auto unit = createUnit();
    const auto block = unit->internalRenderBlock();
    HostAudio audio(2048);
    const AURenderPullInputBlock none;
    EXPECT_EQ(violationsOf(block, audio, 8, &none), 0);
    audio.pullStatus = -10863;
    EXPECT_EQ(violationsOf(block, audio, 8), 0);
    EXPECT_EQ(receiver.count(), 0u);
}

} // namespace
} // namespace vantrel::meter::test
