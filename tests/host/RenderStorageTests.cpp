#include <gtest/gtest.h>

#include "host/scenario/RenderRecorder.h"
#include "host/scenario/RenderStorage.h"
#include "rtguard/RealtimeGuard.h"

namespace vantrel::host {
namespace {

TEST(RenderStorage, LinksTheEventsInScriptOrder) {
    RenderStorage storage;
    std::vector<ScriptEvent> events(3);
    events[0].bytes = {0xB0, 0x07, 0x64, 0x01, 0x02};
    events[0].sampleTime = 12;
    events[0].cable = 3;
    events[1].type = platform::AURenderEventParameterRamp;
    events[2].bytes = {};
    const platform::AURenderEvent* head = storage.prepareEvents(events);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->head.eventType, platform::AURenderEventMIDI);
    EXPECT_EQ(head->MIDI.length, 5); // the record says how many bytes were given
    EXPECT_EQ(head->MIDI.data[0], 0xB0);
    EXPECT_EQ(head->MIDI.data[2], 0x64);
    EXPECT_EQ(head->MIDI.cable, 3);
    EXPECT_EQ(head->head.eventSampleTime, 12);
    const platform::AURenderEvent* second = head->head.next;
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->head.eventType, platform::AURenderEventParameterRamp);
    const platform::AURenderEvent* third = second->head.next;
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->MIDI.length, 0);
    EXPECT_EQ(third->head.next, nullptr);
}

TEST(RenderStorage, NoEventsGiveANullList) {
    RenderStorage storage;
    EXPECT_EQ(storage.prepareEvents({}), nullptr);
}

TEST(RenderStorage, BuffersAreZeroedAndSizedPerChannel) {
    RenderStorage storage;
    platform::AudioBufferList* list = storage.prepareBuffers(64, 2);
    static_cast<float*>(list->mBuffers[1].mData)[63] = 1.0f;
    list = storage.prepareBuffers(64, 1);
    ASSERT_EQ(list->mNumberBuffers, 1u);
    EXPECT_EQ(list->mBuffers[0].mDataByteSize, 64 * sizeof(float));
    list = storage.prepareBuffers(64, 2);
    EXPECT_EQ(static_cast<float*>(list->mBuffers[1].mData)[63], 0.0f);
    EXPECT_EQ(storage.prepareBuffers(0, 0)->mNumberBuffers, 0u);
}

TEST(SignalPullBlock, RendersBothSignalsFromTheFirstFrameOn) {
    const Signal left = parseSignal("samples:1,2,3");
    const Signal right = parseSignal("dc:-1");
    SignalSource source{&left, &right, 4, platform::noErr, 44100};
    const auto pull = makeSignalPullBlock(source);
    RenderStorage storage;
    platform::AudioBufferList* list = storage.prepareBuffers(3, 2);
    EXPECT_EQ(pull(nullptr, nullptr, 3, 0, list), platform::noErr);
    const auto* samples = static_cast<const float*>(list->mBuffers[0].mData);
    EXPECT_EQ(samples[0], 2.0f); // frame 4 of 1,2,3,1,2,3...
    EXPECT_EQ(samples[2], 1.0f);
    EXPECT_EQ(static_cast<const float*>(list->mBuffers[1].mData)[1], -1.0f);
}

TEST(SignalPullBlock, FailsWithTheStatusItIsGivenAndWritesNothing) {
    const Signal left = parseSignal("dc:1");
    SignalSource source{&left, nullptr, 0, -50, 44100};
    const auto pull = makeSignalPullBlock(source);
    RenderStorage storage;
    platform::AudioBufferList* list = storage.prepareBuffers(8, 1);
    EXPECT_EQ(pull(nullptr, nullptr, 8, 0, list), -50);
    EXPECT_EQ(static_cast<const float*>(list->mBuffers[0].mData)[0], 0.0f);
}

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
