#include <gtest/gtest.h>

#include "host/scenario/RenderStorage.h"

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

} // namespace
} // namespace vantrel::host
