#pragma once
// An audio unit's input or output bus and the arrays of them the unit publishes to the host.

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/audiounit/AVAudioFormat.h"

namespace platform {

class AUAudioUnit;

class AUAudioUnitBus {
public:
    // Throws PlatformError when creation fails (a host or test arranges this through
    // AudioUnitFaults::failNextBusCreation). [any]
    explicit AUAudioUnitBus(std::shared_ptr<const AVAudioFormat> format);

    const std::shared_ptr<const AVAudioFormat>& format() const { return format_; }

private:
    std::shared_ptr<const AVAudioFormat> format_;
};

enum class AUAudioUnitBusType { input = 1, output = 2 };

// Buses are shared: one bus may sit in an input and an output array at once.
class AUAudioUnitBusArray {
public:
    // `owner` is the unit that publishes the array; the array does not keep it alive. [any]
    AUAudioUnitBusArray(const AUAudioUnit* owner, AUAudioUnitBusType busType,
                        std::vector<std::shared_ptr<AUAudioUnitBus>> buses);

    const AUAudioUnit* ownerAudioUnit() const { return owner_; }
    AUAudioUnitBusType busType() const { return busType_; }
    std::size_t count() const { return buses_.size(); }
    // The bus at `index` < count(). [any]
    const std::shared_ptr<AUAudioUnitBus>& operator[](std::size_t index) const { return buses_.at(index); }

private:
    const AUAudioUnit* owner_;
    AUAudioUnitBusType busType_;
    std::vector<std::shared_ptr<AUAudioUnitBus>> buses_;
};

} // namespace platform
