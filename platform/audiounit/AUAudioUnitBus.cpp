#include "platform/audiounit/AUAudioUnitBus.h"

#include <stdexcept>

#include "platform/Platform.h"
#include "platform/audiounit/AUAudioUnit.h"
#include "platform/audiounit/AudioUnitFaults.h"

namespace platform {

AUAudioUnitBus::AUAudioUnitBus(std::shared_ptr<const AVAudioFormat> format) : format_(std::move(format)) {
    if (format_ == nullptr) throw std::invalid_argument("an audio unit bus needs a format");
    AudioUnitFaults* faults = Platform::current().audioUnitFaults;
    if (faults != nullptr && faults->failNextBusCreation.exchange(false))
        throw PlatformError(kAudioUnitErr_FormatNotSupported, "audio unit bus creation failed");
}

AUAudioUnitBusArray::AUAudioUnitBusArray(const AUAudioUnit* owner, AUAudioUnitBusType busType,
                                         std::vector<std::shared_ptr<AUAudioUnitBus>> buses)
    : owner_(owner), busType_(busType), buses_(std::move(buses)) {}

} // namespace platform
