// The render path's pacing, buffers shorter than the frame count, failed sends, and the
// destination search's frame count, in the cases the scenarios leave out.

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
    // The levels of the last message the receiver heard.
    std::pair<int, int> lastPeaks() const {
        const host::MeterReport report = heardFrom(*unit);
        return {report.peakL, report.peakR};
    }

    std::shared_ptr<Unit> unit = createUnit();
    AUInternalRenderBlock block = unit->internalRenderBlock();
};

struct PacingCase {
    AUAudioFrameCount frames;
    int callsPerMessage;
};

class MeterPacing : public MeterRender, public ::testing::WithParamInterface<PacingCase> {};

TEST_P(MeterPacing, SendsOnceTheWindowReaches2048Frames) {
    receiver.up();
    sim.runDue();
    HostAudio audio(GetParam().frames);
    for (int call = 1; call <= 3 * GetParam().callsPerMessage; ++call) {
        renderCalls(audio, 1);
        ASSERT_EQ(heardFrom(*unit).messages, static_cast<std::uint64_t>(call / GetParam().callsPerMessage))
            << "call " << call;
    }
}

INSTANTIATE_TEST_SUITE_P(FrameCounts, MeterPacing,
                         ::testing::Values(PacingCase{1, 2048}, PacingCase{2047, 2}, PacingCase{4096, 1}),
                         [](const auto& info) { return std::to_string(info.param.frames); });

TEST_F(MeterRender, ABufferShorterThanTheFrameCountIsReadOnlyAsFarAsItReaches) {
    receiver.up();
    sim.runDue();
    HostAudio audio(2048);
    std::vector<float> lateSample(2048, 0.0f);
    lateSample[1500] = 1.0f;
    audio.setInput(0, lateSample);
    audio.setInput(1, lateSample);
    audio.list().mBuffers[0].mDataByteSize = 1000 * sizeof(float);
    renderCalls(audio, 1);
    EXPECT_EQ(lastPeaks(), std::pair(0, 127));
}

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
    EXPECT_EQ(lastPeaks(), std::pair(0, 0));
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
