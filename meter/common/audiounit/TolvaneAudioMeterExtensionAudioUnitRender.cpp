#include <algorithm>

#include "meter/common/audiounit/PeakMeter.h"
#include "meter/common/audiounit/TolvaneAudioMeterExtensionAudioUnit.h"
#include "protocol/WireSender.h"

namespace vantrel::meter {

using namespace platform;

namespace {

struct Channel {
    const float* samples = nullptr;
    std::uint32_t count = 0;
};

// The samples of buffer `index` to scan: the first `frameCount`, or as far as a shorter buffer
// reaches; none when there is no such buffer or it holds no data.
[[gnu::always_inline]] inline Channel channel(const AudioBufferList* list, std::uint32_t index,
                                              AUAudioFrameCount frameCount) noexcept {
    if (list == nullptr || index >= std::min(list->mNumberBuffers, kAudioBufferListCapacity)) return {};
    const AudioBuffer& buffer = list->mBuffers[index];
    if (buffer.mData == nullptr) return {};
    const auto available = static_cast<AUAudioFrameCount>(buffer.mDataByteSize / sizeof(float));
    return {static_cast<const float*>(buffer.mData), std::min(frameCount, available)};
}

} // namespace

// Inlined into the block, so that a render call makes no calls of its own but the pull and the
// scan.
[[gnu::always_inline]] inline AUAudioUnitStatus TolvaneAudioMeterExtensionAudioUnit::render(
    AudioUnitRenderActionFlags* actionFlags, const AudioTimeStamp* timestamp, AUAudioFrameCount frameCount,
    AudioBufferList* outputData, const AURenderPullInputBlock& pullInputBlock) noexcept {
    if (!pullInputBlock) return noErr;
    if (targetDestination_ == 0 || midiOutputPort_ == 0) [[unlikely]] searchWhileUnlinked(frameCount);

    const AUAudioUnitStatus pulled = pullInputBlock(actionFlags, timestamp, frameCount, 0, outputData);
    if (pulled != noErr) return pulled;

    const Channel left = channel(outputData, 0, frameCount);
    const Channel right = channel(outputData, 1, frameCount);
    const StereoPeaks peaks = stereoPeaks(left.samples, left.count, right.samples, right.count);
    currentPeakL_ = std::max(currentPeakL_, peaks.left);
    currentPeakR_ = std::max(currentPeakR_, peaks.right);

    samplesSinceLastSend_ += frameCount;
    if (samplesSinceLastSend_ >= sendIntervalSamples) [[unlikely]] endSendWindow();
    return noErr;
}

AUInternalRenderBlock TolvaneAudioMeterExtensionAudioUnit::internalRenderBlock() {
    return [gate = callbackGate_.handle()](
               AudioUnitRenderActionFlags* actionFlags, const AudioTimeStamp* timestamp,
               AUAudioFrameCount frameCount, NSInteger, AudioBufferList* outputData, const AURenderEvent*,
               const AURenderPullInputBlock& pullInputBlock) -> AUAudioUnitStatus {
        const auto entry = gate.enterFromRender();
        TolvaneAudioMeterExtensionAudioUnit* unit = entry.get();
        if (unit == nullptr) return noErr;
        return unit->render(actionFlags, timestamp, frameCount, outputData, pullInputBlock);
    };
}

void TolvaneAudioMeterExtensionAudioUnit::searchWhileUnlinked(AUAudioFrameCount frameCount) noexcept {
    destSearchCounter_ += frameCount;
    if (destSearchCounter_ > destSearchInterval) {
        destSearchCounter_ = 0;
        findTargetDestination();
    }
}

void TolvaneAudioMeterExtensionAudioUnit::endSendWindow() noexcept {
    send(meterValue(currentPeakL_), meterValue(currentPeakR_));
    mappingCheckCounter_ += sendIntervalSamples;
    if (mappingCheckCounter_ >= mappingCheckInterval) {
        mappingCheckCounter_ = 0;
        if (trackNr_ == 0) checkMappingFile();
    }
    currentPeakL_ = 0;
    currentPeakR_ = 0;
    samplesSinceLastSend_ = 0;
}

void TolvaneAudioMeterExtensionAudioUnit::send(std::uint8_t peakL, std::uint8_t peakR) noexcept {
    const auto message = protocol::makePeakMeterMessage(instanceID_, trackNr_, peakL, peakR);
    try {
        protocol::sendMessage(midiOutputPort_, targetDestination_, message, MIDISend);
    } catch (const PlatformException&) {
        // A send that raises is a failed send, and failed sends are not looked at; letting it
        // through would end the host's process from inside the render call.
    }
}

} // namespace vantrel::meter
