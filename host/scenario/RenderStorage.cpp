#include "host/scenario/RenderStorage.h"

#include <algorithm>
#include <cstring>

namespace vantrel::host {

const platform::AURenderEvent* RenderStorage::prepareEvents(const std::vector<ScriptEvent>& events) {
    events_.resize(events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        const ScriptEvent& source = events[i];
        platform::AURenderEvent& event = events_[i];
        std::memset(&event, 0, sizeof event);
        event.head.next = i + 1 < events.size() ? &events_[i + 1] : nullptr;
        event.head.eventSampleTime = source.sampleTime;
        event.head.eventType = source.type;
        if (source.type == platform::AURenderEventMIDI || source.type == platform::AURenderEventMIDISysEx) {
            event.MIDI.length = static_cast<std::uint16_t>(source.bytes.size());
            event.MIDI.cable = source.cable;
            std::copy_n(source.bytes.begin(), std::min<std::size_t>(source.bytes.size(), 3), event.MIDI.data);
        }
    }
    return events_.empty() ? nullptr : events_.data();
}

platform::AudioBufferList* RenderStorage::prepareBuffers(platform::AUAudioFrameCount frames,
                                                         std::uint32_t buffers) {
    samples_.assign(std::max<std::size_t>(std::size_t{frames} * buffers, 1), 0.0f);
    bufferList_ = {};
    bufferList_.mNumberBuffers = buffers;
    for (std::uint32_t b = 0; b < buffers; ++b) {
        bufferList_.mBuffers[b].mNumberChannels = 1;
        bufferList_.mBuffers[b].mDataByteSize = static_cast<std::uint32_t>(frames * sizeof(float));
        bufferList_.mBuffers[b].mData = samples_.data() + std::size_t{frames} * b;
    }
    return &bufferList_;
}

platform::AURenderPullInputBlock makeSignalPullBlock(const SignalSource& source) {
    return [&source](platform::AudioUnitRenderActionFlags*, const platform::AudioTimeStamp*,
                     platform::AUAudioFrameCount frames, platform::NSInteger,
                     platform::AudioBufferList* data) -> platform::OSStatus {
        if (source.status != platform::noErr) return source.status;
        if (data == nullptr) return platform::noErr;
        for (std::uint32_t b = 0; b < data->mNumberBuffers; ++b) {
            auto* samples = static_cast<float*>(data->mBuffers[b].mData);
            if (samples == nullptr) continue;
            const Signal* signal = b == 0 ? source.left : b == 1 ? source.right : nullptr;
            const std::size_t count =
                std::min<std::size_t>(frames, data->mBuffers[b].mDataByteSize / sizeof(float));
            for (std::size_t i = 0; i < count; ++i)
                samples[i] =
                    signal != nullptr ? signal->sampleAt(source.firstFrame + i, source.sampleRate) : 0.0f;
        }
        return platform::noErr;
    };
}

} // namespace vantrel::host
