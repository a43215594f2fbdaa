#include <gtest/gtest.h>

#include <set>

#include "host/demo/DemoDisplay.h"
#include "host/demo/DemoSignals.h"
#include "rtguard/RealtimeGuard.h"

namespace vantrel::host {
namespace {

struct TrackCase {
    int track;
    std::set<int> statusTypes; // every kind of channel message two seconds of the track play
};

class DemoMIDITracks : public testing::TestWithParam<TrackCase> {};

TEST_P(DemoMIDITracks, PlayEveryKindOfMessageTheMonitorShowsWithKeySwitchesAndChannel16) {
    DemoMIDI midi(GetParam().track);
    std::set<int> statusTypes;
    bool keySwitch = false;
    bool channel16 = false;
    for (std::uint64_t cycle = 0; cycle < static_cast<std::uint64_t>(2 * demoSampleRate / demoCycleFrames);
         ++cycle) {
        for (const platform::AURenderEvent* event = midi.cycleEvents(cycle); event != nullptr;
             event = event->head.next) {
            const auto& message = event->MIDI;
            ASSERT_GE(message.length, 2);
            statusTypes.insert(message.data[0] & 0xF0);
            keySwitch |= (message.data[0] & 0xF0) == 0x90 && message.data[1] >= 24 && message.data[1] <= 27;
            channel16 |= message.data[0] == 0x9F && message.data[2] != 0;
        }
    }
    EXPECT_EQ(statusTypes, GetParam().statusTypes);
    EXPECT_TRUE(keySwitch);
    EXPECT_TRUE(channel16);
}

INSTANTIATE_TEST_SUITE_P(Demo, DemoMIDITracks,
                         testing::Values(TrackCase{0, {0x80, 0x90, 0xB0, 0xD0, 0xE0}},
                                         TrackCase{1, {0x90, 0xB0}}));

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

TEST(DemoDisplay, PlainLinesCarryTheTimeAndEveryInstanceWithItsLastValuesInShortWords) {
    DemoPicture picture;
    picture.seconds = 2;
    picture.receiverState = "down";
    MonitorReport monitor;
    monitor.uid = 0x2A;
    monitor.trackName = "Strings";
    monitor.connected = true;
    monitor.lastEvents[0xB00100] = {0xB0, 0x01, 0x40};
    monitor.lastEvents[0xB00701] = {0xB1, 0x07, 0x64};
    monitor.lastEvents[0xD00000] = {0xD0, 0x21};
    monitor.lastEvents[0xE00000] = {0xE0, 0x00, 0x50};
    monitor.lastEvents[0x90000F] = {0x9F, 0x30, 0x64};
    picture.monitors = {MonitorReport{}, monitor};
    picture.meters.push_back({1, 3, 97, 40, 12});
    picture.meterTrackNames[3] = "Drums";
    EXPECT_EQ(
        DemoDisplay::lines(picture, false),
        (std::vector<std::string>{
            "[  2.0 s] receiver down",
            "[  2.0 s] monitor 00000000 track=- not connected heartbeats=0 events=0 -",
            "[  2.0 s] monitor 0000002A track=Strings connected heartbeats=0 events=0 N16=48/100 CC1=64 "
            "CC7=100@ch2 AT=33 PB=+2048",
            "[  2.0 s] meter 1 track=3 Drums L=97 R=40 messages=12"}));
}

} // namespace
} // namespace vantrel::host
