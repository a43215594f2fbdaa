// The demo's render threads: two seconds of each track's MIDI and audio, made without allocating,
// play every kind of message the monitor shows, key switches among them.

#include <gtest/gtest.h>

#include <array>
#include <set>

#include "host/demo/DemoSignals.h"
#include "rtguard/RealtimeGuard.h"

namespace vantrel::host {
namespace {

struct TrackCase {
    int track;
    std::set<int> statusTypes; // every kind of channel message the track plays
};

class DemoTracks : public testing::TestWithParam<TrackCase> {};

TEST_P(DemoTracks, PlayEveryKindOfMessageWithoutAllocating) {
    DemoMIDI midi(GetParam().track);
    DemoAudio audio(GetParam().track);
    std::vector<float> samples(2 * demoCycleFrames);
    platform::AudioBufferList list;
    list.mNumberBuffers = 2;
    for (std::uint32_t b = 0; b < 2; ++b)
        list.mBuffers[b] = {1, demoCycleFrames * sizeof(float), samples.data() + b * demoCycleFrames};
    std::array<bool, 16> statusTypes{}; // by the status's upper four bits
    bool keySwitch = false;
    bool channel16 = false;
    std::optional<platform_test::RealtimeGuard> guard;
    if (platform_test::RealtimeGuard::available()) guard.emplace();
    for (std::uint64_t cycle = 0; cycle < static_cast<std::uint64_t>(2 * demoSampleRate / demoCycleFrames);
         ++cycle) {
        for (const auto* event = midi.cycleEvents(cycle); event != nullptr; event = event->head.next) {
            const auto [status, key, velocity] = event->MIDI.data;
            statusTypes[status >> 4] = true;
            keySwitch |= (status & 0xF0) == 0x90 && key >= 24 && key <= 27;
            channel16 |= status == 0x9F && velocity != 0;
        }
        audio.render(list, demoCycleFrames);
    }
    if (guard) {
        EXPECT_EQ(guard->violations(), 0);
        guard.reset();
    }
    std::set<int> played;
    for (int type = 0; type < 16; ++type)
        if (statusTypes[type]) played.insert(type << 4);
    EXPECT_EQ(played, GetParam().statusTypes);
    EXPECT_TRUE(keySwitch);
    EXPECT_TRUE(channel16);
}

INSTANTIATE_TEST_SUITE_P(Demo, DemoTracks,
                         testing::Values(TrackCase{0, {0x80, 0x90, 0xB0, 0xD0, 0xE0}},
                                         TrackCase{1, {0x90, 0xB0}}));

} // namespace
} // namespace vantrel::host
