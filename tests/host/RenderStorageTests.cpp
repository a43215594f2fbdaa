// The scenario runner's render-thread side: what it does in a render call must neither allocate
// nor free, and what finds no room is dropped and counted.

#include <gtest/gtest.h>

#include "host/scenario/RenderRecorder.h"
#include "host/scenario/RenderStorage.h"
#include "rtguard/RealtimeGuard.h"

namespace vantrel::host {
namespace {

TEST(RenderThreadWork, NeitherAllocatesNorFrees) {
    if (!platform_test::RealtimeGuard::available()) GTEST_SKIP() << "no allocation counting in this build";
    const Signal left = parseSignal("sine:0.5:440");
    const Signal right = parseSignal("samples:0.1,0.2");
    SignalSource source{&left, &right, 0, platform::noErr, 44100};
    const auto pull = makeSignalPullBlock(source);
    RenderStorage storage;
    platform::AudioBufferList* list = storage.prepareBuffers(512, 2);
    RenderRecorder recorder;
    recorder.reserve(4);
    platform::MIDIPacketList packets{};
    const std::uint8_t bytes[] = {0xF0, 0x7E, 0x01, 0x00, 0x7F, 0x00, 0xF7};
    platform::MIDIPacketListAdd(&packets, sizeof packets, platform::MIDIPacketListInit(&packets), 0, 3,
                                bytes);
    {
        platform_test::RealtimeGuard guard;
        pull(nullptr, nullptr, 512, 0, list);
        recorder.recordOutput(nullptr, 12, 1, 3, bytes);
        recorder.recordSend({5, 4, 9, &packets});
        EXPECT_EQ(guard.allocations() + guard.frees(), 0);
    }
    ASSERT_EQ(recorder.records().size(), 2u);
    EXPECT_EQ(recorder.records()[1].client, 4u);
    EXPECT_EQ(recorder.records()[1].length, 3u);
}

TEST(RenderRecorder, DropsWhatFindsNoRoomAndSaysSo) {
    RenderRecorder recorder;
    recorder.reserve(1);
    const std::uint8_t bytes[] = {0x90, 0x3C, 0x64};
    recorder.recordOutput(nullptr, 0, 0, 3, bytes);
    recorder.recordOutput(nullptr, 0, 0, 3, bytes);
    EXPECT_EQ(recorder.records().size(), 1u);
    EXPECT_EQ(recorder.dropped(), 1u);
    recorder.clear();
    EXPECT_TRUE(recorder.records().empty());
    EXPECT_EQ(recorder.dropped(), 0u);
}

} // namespace
} // namespace vantrel::host
