// Failed sends and the destination search's frame count; the pacing and the peaks of every
// window are the randomized simulation's checks.

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

TEST_F(MeterRender, FailedAndRaisingSendsAreIgnoredAndTheWindowStillStartsAgain) {
    receiver.up();
    sim.runDue();
    HostAudio audio(2048);
    audio.setInput(0, {1.0f});
    sim.midi().failNextSends(1);
    renderCalls(audio, 1);
    sim.midi().throwNextSends(1);
    renderCalls(audio, 1);
    audio.setInput(0, {0.0f});
    renderCalls(audio, 1);
    EXPECT_EQ(heardFrom(*unit).messages, 1u);
    EXPECT_EQ(heardFrom(*unit).peakL, 0);
}

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
