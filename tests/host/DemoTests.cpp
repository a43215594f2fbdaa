#include <gtest/gtest.h>

#include <set>

#include "host/demo/DemoDisplay.h"
#include "host/demo/DemoSignals.h"
#include "rtguard/RealtimeGuard.h"

namespace vantrel::host {
namespace {

// Two seconds of demo MIDI, cycle by cycle, as the render thread asks for it.
std::vector<std::vector<std::uint8_t>> twoSeconds(DemoMIDI& midi) {
    std::vector<std::vector<std::uint8_t>> messages;
    const auto cycles = static_cast<std::uint64_t>(2 * demoSampleRate / demoCycleFrames);
    for (std::uint64_t cycle = 0; cycle < cycles; ++cycle) {
        for (const platform::AURenderEvent* event = midi.cycleEvents(cycle); event != nullptr;
             event = event->head.next)
            messages.emplace_back(event->MIDI.data, event->MIDI.data + event->MIDI.length);
    }
    return messages;
}

class DemoMIDIParts : public testing::TestWithParam<int> {};

TEST_P(DemoMIDIParts, PlayControllersNotesKeySwitchesAndChannel16) {
    DemoMIDI midi(GetParam());
    std::set<int> statusTypes;
    bool keySwitch = false;
    bool channel16 = false;
    for (const auto& message : twoSeconds(midi)) {
        ASSERT_GE(message.size(), 2u);
        statusTypes.insert(message[0] & 0xF0);
        if ((message[0] & 0xF0) == 0x90 && message[1] >= 24 && message[1] <= 27) keySwitch = true;
        if (message[0] == 0x9F && message[2] != 0) channel16 = true;
    }
    EXPECT_TRUE(statusTypes.contains(0xB0));
    EXPECT_TRUE(statusTypes.contains(0x90));
    EXPECT_TRUE(keySwitch);
    EXPECT_TRUE(channel16);
}

INSTANTIATE_TEST_SUITE_P(Demo, DemoMIDIParts, testing::Values(0, 1));

TEST(Demo, FirstTrackAlsoPlaysPitchWheelAndPressure) {
    DemoMIDI midi(0);
    std::set<int> statusTypes;
    for (const auto& message : twoSeconds(midi))
        statusTypes.insert(message[0] & 0xF0);
    EXPECT_TRUE(statusTypes.contains(0xE0));
    EXPECT_TRUE(statusTypes.contains(0xD0));
}

TEST(Demo, SignalsAreMadeWithoutAllocating) {
    if (!platform_test::RealtimeGuard::available()) GTEST_SKIP() << "no allocation counting in this build";
    DemoMIDI midi(0);
    DemoAudio audio(1);
    std::vector<float> samples(2 * demoCycleFrames);
    platform::AudioBufferList list;
    list.mNumberBuffers = 2;
    for (std::uint32_t b = 0; b < 2; ++b)
        list.mBuffers[b] = {1, demoCycleFrames * sizeof(float), samples.data() + b * demoCycleFrames};
    platform_test::RealtimeGuard guard;
    for (std::uint64_t cycle = 0; cycle < 400; ++cycle) {
        midi.cycleEvents(cycle);
        audio.render(list, demoCycleFrames);
    }
    EXPECT_EQ(guard.violations(), 0);
}

TEST(Demo, BurstsOfToneAlternateWithSilence) {
    DemoAudio audio(1);
    std::vector<float> samples(2 * 44100);
    platform::AudioBufferList list;
    list.mNumberBuffers = 2;
    list.mBuffers[0] = {1, 44100 * sizeof(float), samples.data()};
    list.mBuffers[1] = {1, 44100 * sizeof(float), samples.data() + 44100};
    audio.render(list, 44100);
    const auto peak = [&](std::size_t from, std::size_t to) {
        float largest = 0;
        for (std::size_t i = from; i < to; ++i)
            largest = std::max(largest, std::abs(samples[i]));
        return largest;
    };
    EXPECT_NEAR(peak(0, 44100), 0.5, 1e-3);
    EXPECT_EQ(peak(44100, 88200), 0.0f); // the right channel stays silent
    audio.render(list, 44100);
    EXPECT_EQ(peak(0, 44100), 0.0f); // the second second is silence
}

TEST(DemoDisplay, DescribesTheLastValuesInShortWords) {
    MonitorReport monitor;
    monitor.lastEvents[0xB00100] = {0xB0, 0x01, 0x40};
    monitor.lastEvents[0xB00701] = {0xB1, 0x07, 0x64};
    monitor.lastEvents[0xD00000] = {0xD0, 0x21};
    monitor.lastEvents[0xE00000] = {0xE0, 0x00, 0x50};
    monitor.lastEvents[0x90000F] = {0x9F, 0x30, 0x64};
    EXPECT_EQ(describeLastValues(monitor), "N16=48/100 CC1=64 CC7=100@ch2 AT=33 PB=+2048");
    EXPECT_EQ(describeLastValues(MonitorReport{}), "-");
}

TEST(DemoDisplay, LevelBarsFillInProportion) {
    EXPECT_EQ(levelBar(0, 4), "\u00b7\u00b7\u00b7\u00b7");
    EXPECT_EQ(levelBar(127, 4), "\u2588\u2588\u2588\u2588");
    EXPECT_EQ(levelBar(64, 4), "\u2588\u2588\u00b7\u00b7");
}

TEST(DemoDisplay, PlainLinesCarryTheTimeAndEveryInstance) {
    DemoPicture picture;
    picture.seconds = 2;
    picture.receiverState = "down";
    MonitorReport monitor;
    monitor.uid = 0x2A;
    monitor.trackName = "Strings";
    monitor.connected = true;
    picture.monitors.push_back(monitor);
    picture.meters.push_back({1, 3, 97, 40, 12});
    picture.meterTrackNames[3] = "Drums";
    const auto lines = DemoDisplay::lines(picture, false);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "[  2.0 s] receiver down");
    EXPECT_EQ(lines[1], "[  2.0 s] monitor 0000002A track=Strings connected heartbeats=0 events=0 -");
    EXPECT_EQ(lines[2], "[  2.0 s] meter 1 track=3 Drums L=97 R=40 messages=12");
}

} // namespace
} // namespace vantrel::host
