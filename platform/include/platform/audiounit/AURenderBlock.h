#pragma once
// The callables that meet on the render thread: the unit's render block, the host's pull-input
// block and the host's MIDI output. Each is built once off the render thread (the unit builds its
// render block, the host its pull-input block and MIDI output) and only invoked while rendering;
// invoking an existing std::function never allocates.

#include <cstdint>
#include <functional>

#include "platform/audiounit/AURenderEvent.h"
#include "platform/audiounit/AudioBufferList.h"
#include "platform/core/Status.h"

namespace platform {

using AUAudioUnitStatus = OSStatus;
using AudioUnitRenderActionFlags = std::uint32_t;
using NSInteger = std::int64_t;

// The host renders the unit's input bus `inputBusNumber` into `inputData`. Empty when the host
// gives none. [render]
using AURenderPullInputBlock = std::function<AUAudioUnitStatus(
    AudioUnitRenderActionFlags* actionFlags, const AudioTimeStamp* timestamp, AUAudioFrameCount frameCount,
    NSInteger inputBusNumber, AudioBufferList* inputData)>;

// One render cycle of the unit: `realtimeEventListHead` is the cycle's events (null: none),
// `outputData` the host's buffers for output bus `outputBusNumber`. [render]
using AUInternalRenderBlock = std::function<AUAudioUnitStatus(
    AudioUnitRenderActionFlags* actionFlags, const AudioTimeStamp* timestamp, AUAudioFrameCount frameCount,
    NSInteger outputBusNumber, AudioBufferList* outputData, const AURenderEvent* realtimeEventListHead,
    const AURenderPullInputBlock& pullInputBlock)>;

// The host's MIDI output: takes `length` bytes of one message from `midiBytes`. Empty when the
// host gives none. [render]
using AUMIDIOutputEventBlock = std::function<std::int32_t(
    AUEventSampleTime eventSampleTime, std::uint8_t cable, NSInteger length, const std::uint8_t* midiBytes)>;

} // namespace platform
