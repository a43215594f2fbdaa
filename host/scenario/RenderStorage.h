#pragma once
// The storage an instance renders with, made ready on the host thread before each render call so
// that the call itself finds everything in place: the event records of one midi-in command and
// the audio buffers (non-interleaved 32-bit float, one buffer per channel).

#include <vector>

#include "host/script/Script.h"
#include "platform/audiounit/AURenderEvent.h"
#include "platform/audiounit/AudioBufferList.h"

namespace vantrel::host {

class RenderStorage {
public:
    // The events as one linked list; null for none. [host]
    const platform::AURenderEvent* prepareEvents(const std::vector<ScriptEvent>& events);
    // `buffers` zeroed buffers of `frames` samples. [host]
    platform::AudioBufferList* prepareBuffers(platform::AUAudioFrameCount frames, std::uint32_t buffers);

private:
    std::vector<platform::AURenderEvent> events_;
    std::vector<float> samples_;
    platform::AudioBufferList bufferList_;
};

} // namespace vantrel::host
