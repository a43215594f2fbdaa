#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>
#include <vector>

#include "MeterTestBench.h"

namespace vantrel::meter::test {
namespace {

using namespace platform;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr float infinity = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

class MeterRender : public MeterTestBench {
protected:
    void renderCalls(HostAudio& audio, int calls) {
        for (int i = 0; i < calls; ++i)
            ASSERT_EQ(render(block, audio), noErr);
    }
    Peak peak(std::uint8_t left, std::uint8_t right, std::uint8_t trackNr = 0) const {
        return {unit->instanceID(), trackNr, left, right};
    }

    Receiver receiver;
    std::shared_ptr<Unit> unit = createUnit();
    AUInternalRenderBlock block = unit->internalRenderBlock();
};

TEST_F(MeterRender, SilenceGivesZeroOnBothChannels) {
    HostAudio audio(2048);
    renderCalls(audio, 1);
    EXPECT_THAT(receiver.peaks(), ElementsAre(peak(0, 0)));
}

TEST_F(MeterRender, FullScaleLeftAndSilentRightGoOutInOneMessage) {
    HostAudio audio(2048);
    audio.setInput(0, {1.0f, -0.5f});
    renderCalls(audio, 1);
    EXPECT_THAT(receiver.peaks(), ElementsAre(peak(127, 0)));
}

TEST_F(MeterRender, MessagesCarryTheInstanceNumberAndTheTrackNumber) {
    unit->setFullState(Dictionary{{"qvTrackNr", 9}});
    HostAudio audio(2048);
    renderCalls(audio, 1);
    EXPECT_THAT(receiver.peaks(), ElementsAre(Peak{unit->instanceID(), 9, 0, 0}));
}

TEST_F(MeterRender, ALoudSampleRaisesOnlyItsOwnWindow) {
    HostAudio audio(512);
    renderCalls(audio, 2);
    std::vector<float> impulse(512, 0.0f);
    impulse[300] = -0.5f;
    audio.setInput(0, impulse);
    renderCalls(audio, 1);
    audio.setInput(0, {0.0f});
    renderCalls(audio, 1 + 4);
    EXPECT_THAT(receiver.peaks(), ElementsAre(peak(114, 0), peak(0, 0)));
}

struct SignalCase {
    const char* name;
    friend void PrintTo(const SignalCase& c, std::ostream* out) { *out << c.name; }
    std::vector<float> samples;
    std::uint8_t value;
};

class MeterSignal : public MeterRender, public ::testing::WithParamInterface<SignalCase> {};

TEST_P(MeterSignal, GivesTheMeterValueOfItsPeak) {
    HostAudio audio(1024);
    audio.setInput(1, GetParam().samples);
    renderCalls(audio, 2);
    EXPECT_THAT(receiver.peaks(), ElementsAre(peak(0, GetParam().value)));
}

INSTANTIATE_TEST_SUITE_P(
    Signals, MeterSignal,
    ::testing::Values(SignalCase{"Half", {0.5f, 0.1f}, 114}, SignalCase{"NegativeFullScale", {-1.0f}, 127},
                      SignalCase{"AboveFullScale", {2.0f}, 127}, SignalCase{"Infinite", {infinity}, 127},
                      SignalCase{"NegativeInfinite", {0.1f, -infinity}, 127}, SignalCase{"OnlyNaN", {nan}, 0},
                      SignalCase{"NaNBesideAQuarter", {nan, 0.25f, -nan}, 101}),
    [](const auto& info) { return std::string(info.param.name); });

struct PacingCase {
    AUAudioFrameCount frames;
    int callsPerMessage;
    friend void PrintTo(const PacingCase& c, std::ostream* out) { *out << c.frames << " frames"; }
};

class MeterPacing : public MeterRender, public ::testing::WithParamInterface<PacingCase> {};

TEST_P(MeterPacing, SendsOnceTheWindowReaches2048Frames) {
    HostAudio audio(GetParam().frames);
    for (int call = 1; call <= 3 * GetParam().callsPerMessage; ++call) {
        renderCalls(audio, 1);
        EXPECT_EQ(receiver.count(), static_cast<std::size_t>(call / GetParam().callsPerMessage))
            << "call " << call;
    }
}

INSTANTIATE_TEST_SUITE_P(FrameCounts, MeterPacing,
                         ::testing::Values(PacingCase{512, 4}, PacingCase{1000, 3}, PacingCase{2047, 2},
                                           PacingCase{2048, 1}, PacingCase{4096, 1}),
                         [](const auto& info) { return std::to_string(info.param.frames); });

TEST_F(MeterRender, OneBufferGivesARightValueOfZero) {
    HostAudio audio(2048, 1);
    audio.setInput(0, {1.0f});
    audio.setInput(1, {1.0f});
    renderCalls(audio, 1);
    EXPECT_THAT(receiver.peaks(), ElementsAre(peak(127, 0)));
}

TEST_F(MeterRender, NoBuffersAndBuffersWithoutDataGiveZero) {
    HostAudio none(2048, 0);
    renderCalls(none, 1);
    HostAudio empty(2048);
    empty.setInput(0, {1.0f});
    empty.list().mBuffers[0].mData = nullptr;
    renderCalls(empty, 1);
    EXPECT_THAT(receiver.peaks(), ElementsAre(peak(0, 0), peak(0, 0)));
}

TEST_F(MeterRender, ABufferShorterThanTheFrameCountIsReadOnlyAsFarAsItReaches) {
    HostAudio audio(2048);
    std::vector<float> lateSample(2048, 0.0f);
    lateSample[1500] = 1.0f;
    audio.setInput(0, lateSample);
    audio.setInput(1, lateSample);
    audio.list().mBuffers[0].mDataByteSize = 1000 * sizeof(float);
    renderCalls(audio, 1);
    EXPECT_THAT(receiver.peaks(), ElementsAre(peak(0, 127)));
}

TEST_F(MeterRender, WithoutAPullBlockTheOutputStaysUntouchedAndNothingCounts) {
    HostAudio audio(512);
    audio.setInput(0, {1.0f});
    audio.output(0).assign(512, 0.75f);
    for (int call = 0; call < 8; ++call)
        EXPECT_EQ(render(block, audio, AURenderPullInputBlock{}), noErr);
    EXPECT_EQ(audio.pulls, 0);
    EXPECT_EQ(audio.output(0), std::vector<float>(512, 0.75f));
    EXPECT_EQ(receiver.count(), 0u);

    audio.setInput(0, {0.0f});
    renderCalls(audio, 4);
    EXPECT_THAT(receiver.peaks(), ElementsAre(peak(0, 0)));
}

TEST_F(MeterRender, AFailingPullReturnsItsStatusAndChangesNoPeakOrSendCounter) {
    HostAudio audio(512);
    renderCalls(audio, 3);
    audio.pullStatus = -10863;
    audio.setInput(0, {1.0f}); // written into the buffers, but the pull reports failure
    EXPECT_EQ(render(block, audio), -10863);
    EXPECT_EQ(receiver.count(), 0u);

    audio.pullStatus = noErr;
    audio.setInput(0, {0.0f});
    renderCalls(audio, 1);
    EXPECT_THAT(receiver.peaks(), ElementsAre(peak(0, 0)));
}

TEST_F(MeterRender, TheAudioOutEqualsTheAudioInBitForBit) {
    HostAudio audio(8);
    const std::vector<float> left{-0.0f,
                                  std::numeric_limits<float>::denorm_min(),
                                  infinity,
                                  -infinity,
                                  std::nanf("0x2a"),
                                  1.5f,
                                  -3.25e-20f,
                                  0.1f};
    const std::vector<float> right{0.3f, -nan, 7.0f, -0.0f, 1e-45f, 0.0f, -1.0f, 0.999f};
    audio.setInput(0, left);
    audio.setInput(1, right);
    renderCalls(audio, 3);
    EXPECT_EQ(std::memcmp(audio.output(0).data(), left.data(), sizeof(float) * left.size()), 0);
    EXPECT_EQ(std::memcmp(audio.output(1).data(), right.data(), sizeof(float) * right.size()), 0);
}

TEST_F(MeterRender, FailedAndRaisingSendsAreIgnoredAndTheWindowStillStartsAgain) {
    HostAudio audio(2048);
    audio.setInput(0, {1.0f});
    sim.midi().failNextSends(1);
    renderCalls(audio, 1);
    sim.midi().throwNextSends(1);
    renderCalls(audio, 1);
    audio.setInput(0, {0.0f});
    renderCalls(audio, 1);
    EXPECT_THAT(receiver.peaks(), ElementsAre(peak(0, 0)));
}

TEST_F(MeterRender, ABlockThatOutlivesItsUnitDoesNothing) {
    HostAudio audio(2048);
    audio.output(0).assign(2048, 0.75f);
    unit.reset();
    EXPECT_EQ(render(block, audio), noErr);
    EXPECT_EQ(audio.pulls, 0);
    EXPECT_EQ(audio.output(0), std::vector<float>(2048, 0.75f));
}

// The mapping check falls due every 44th send (2048 counted per send), only while the track is
// unknown; the message of the send that runs it still carries the old track number.
class MeterMappingPace : public MeterRender, public ::testing::WithParamInterface<AUAudioFrameCount> {
protected:
    int framesPerSendCalls() const { return static_cast<int>((2048 + GetParam() - 1) / GetParam()); }
    void sendTimes(HostAudio& audio, int sends) { renderCalls(audio, sends * framesPerSendCalls()); }
};

TEST_P(MeterMappingPace, ChecksAfterThe44thSendWhileTheTrackIsUnknown) {
    HostAudio audio(GetParam());
    sendTimes(audio, 10);
    writeMapping(mappingFor(unit->instanceID(), 6, "Drums"));
    sendTimes(audio, 33);
    EXPECT_EQ(unit->trackNr(), 0);
    sendTimes(audio, 1);
    EXPECT_EQ(unit->trackNr(), 6);
    sendTimes(audio, 1);
    const auto peaks = receiver.peaks();
    ASSERT_EQ(peaks.size(), 45u);
    EXPECT_EQ(peaks[43].trackNr, 0);
    EXPECT_EQ(peaks[44].trackNr, 6);
}

TEST_P(MeterMappingPace, AFileThatAppearsLaterIsTakenUpAfterThe88thSend) {
    HostAudio audio(GetParam());
    sendTimes(audio, 50);
    writeMapping(mappingFor(unit->instanceID(), 3, "Bass"));
    sendTimes(audio, 37);
    EXPECT_EQ(unit->trackNr(), 0);
    sendTimes(audio, 1);
    EXPECT_EQ(unit->trackNr(), 3);
}

TEST_P(MeterMappingPace, NeverChecksOnceTheTrackIsKnown) {
    unit->setFullState(Dictionary{{"qvTrackNr", 5}});
    writeMapping(mappingFor(unit->instanceID(), 7, "Keys"));
    HostAudio audio(GetParam());
    sendTimes(audio, 100);
    EXPECT_EQ(unit->trackNr(), 5);
    EXPECT_THAT(systemLog("[AudioMeter] Mapping"), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(FrameCounts, MeterMappingPace, ::testing::Values(2048u, 1000u));

// No destination at creation: the render path looks again after more than 88200 frames without a
// link, counting only while the link is down.
class MeterDestinationRetry : public MeterTestBench {
protected:
    void renderCalls(int calls) {
        for (int i = 0; i < calls; ++i)
            ASSERT_EQ(render(block, audio), noErr);
    }

    std::shared_ptr<Unit> unit = createUnit();
    AUInternalRenderBlock block = unit->internalRenderBlock();
    HostAudio audio{512};
};

TEST_F(MeterDestinationRetry, ScansOnThe173rdCallOf512Frames) {
    const Receiver receiver; // announced, but the setup change is not delivered
    renderCalls(172);
    EXPECT_EQ(unit->targetDestination(), 0u);
    renderCalls(1);
    EXPECT_EQ(unit->targetDestination(), receiver.destination());
    EXPECT_EQ(receiver.count(), 0u);
    renderCalls(3);
    EXPECT_EQ(receiver.count(), 1u);
}

TEST_F(MeterDestinationRetry, ScansAgainEvery173Calls) {
    renderCalls(173);
    const Receiver receiver;
    renderCalls(172);
    EXPECT_EQ(unit->targetDestination(), 0u);
    renderCalls(1);
    EXPECT_EQ(unit->targetDestination(), receiver.destination());
}

TEST_F(MeterDestinationRetry, TheCountKeepsItsValueWhileTheLinkIsUp) {
    renderCalls(100);
    auto receiver = std::make_unique<Receiver>();
    sim.runDue(); // the setup change finds the destination
    ASSERT_EQ(unit->targetDestination(), receiver->destination());
    renderCalls(500);
    receiver.reset();
    sim.runDue();
    ASSERT_EQ(unit->targetDestination(), 0u);
    const Receiver back;
    renderCalls(72);
    EXPECT_EQ(unit->targetDestination(), 0u);
    renderCalls(1);
    EXPECT_EQ(unit->targetDestination(), back.destination());
}

} // namespace
} // namespace vantrel::meter::test
