#pragma once
// The storage an instance renders with, made ready on the host thread before each render call so
// that the call itself finds everything in place: the event records of one midi-in command and
// the audio buffers (non-interleaved 32-bit float, one buffer per channel).

#include <vector>

#include "host/script/Script.h"
#include "platform/audiounit/AURenderBlock.h"
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

// What the host's pull-input block renders for a meter: two signals from a given frame on, or
// the status it is told to fail with. The host sets it before each render call.
struct SignalSource {
    const Signal* left = nullptr;
    const Signal* right = nullptr;
    std::uint64_t firstFrame = 0;
    platform::OSStatus status = platform::noErr;
    double sampleRate = 44100;
};

// A pull-input block that renders `source` (which must outlive it) into the buffers it is
// given: the left signal into the first, the right into the second, silence into any other.
// [host] The block itself never allocates. [render]
platform::AURenderPullInputBlock makeSignalPullBlock(const SignalSource& source);

} // namespace vantrel::host
