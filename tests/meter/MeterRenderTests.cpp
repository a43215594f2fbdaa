// The destination search's frame count; the pacing, the peaks of every window and the window
// starting again after a failed or raising send are the randomized simulation's checks.

#include <gmock/gmock.h>

#include "MeterTestBench.h"

namespace vantrel::meter::test {
namespace {

using namespace platform;

class MeterRender : public MeterTestBench {
protected:
    void renderCalls(HostAudio& audio, int calls) {
        for (int i = 0; i < calls; ++i)
            ASSERT_EQ(render(block, audio), noErr);
    }
    std::shared_ptr<Unit> unit = createUnit();
    AUInternalRenderBlock block = unit->internalRenderBlock();
};

// The search counts frames only while the link is down: 88200 frames are 173 calls of 512.
TEST_F(MeterRender, TheSearchCountKeepsItsValueWhileTheLinkIsUp) {
    HostAudio audio(512);
    renderCalls(audio, 100);
    receiver.up();
    sim.runDue(); // the setup change finds the destination
    ASSERT_EQ(unit->targetDestination(), receiver.destination());
    renderCalls(audio, 500);
    receiver.down();
    sim.runDue();
    ASSERT_EQ(unit->targetDestination(), 0u);
    receiver.up(); // its setup change is not delivered
    renderCalls(audio, 72);
    EXPECT_EQ(unit->targetDestination(), 0u);
    renderCalls(audio, 1);
    EXPECT_EQ(unit->targetDestination(), receiver.destination());
}

} // namespace
} // namespace vantrel::meter::test
