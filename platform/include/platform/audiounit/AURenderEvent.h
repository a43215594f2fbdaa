#pragma once
// The events a host hands a render block for one render cycle: a singly linked list of plain
// records that the host owns for the duration of the call. Every record starts with the same
// header, so a reader looks at `head.eventType` before it picks the member to read.

#include <cstdint>

namespace platform {

using AUEventSampleTime = std::int64_t;
using AUParameterAddress = std::uint64_t;
using AUValue = float;
using AUAudioFrameCount = std::uint32_t;

enum AURenderEventType : std::uint8_t {
    AURenderEventParameter = 1,
    AURenderEventParameterRamp = 2,
    AURenderEventMIDI = 8,
    AURenderEventMIDISysEx = 9,
    AURenderEventMIDIEventList = 10,
};

union AURenderEvent;

struct AURenderEventHeader {
    AURenderEvent* next; // null at the end of the list
    AUEventSampleTime eventSampleTime;
    AURenderEventType eventType;
    std::uint8_t reserved;
};

// AURenderEventParameter and AURenderEventParameterRamp.
struct AUParameterEvent {
    AURenderEvent* next;
    AUEventSampleTime eventSampleTime;
    AURenderEventType eventType;
    std::uint8_t reserved[3];
    AUAudioFrameCount rampDurationSampleFrames;
    AUParameterAddress parameterAddress;
    AUValue value;
};

// AURenderEventMIDI: one channel message of `length` valid bytes in `data`.
struct AUMIDIEvent {
    AURenderEvent* next;
    AUEventSampleTime eventSampleTime;
    AURenderEventType eventType;
    std::uint8_t reserved;
    std::uint16_t length;
    std::uint8_t cable;
    std::uint8_t data[3];
};

union AURenderEvent {
    AURenderEventHeader head;
    AUParameterEvent parameter;
    AUMIDIEvent MIDI;
};

} // namespace platform
