#pragma once
// One host-visible parameter of an audio unit: its description, fixed at creation, and its value.

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "platform/audiounit/AUParameterNode.h"

namespace platform {

class AUParameter final : public AUParameterNode {
public:
    AUParameterAddress address() const { return address_; }
    AUValue minValue() const { return minValue_; }
    AUValue maxValue() const { return maxValue_; }
    AudioUnitParameterUnit unit() const { return unit_; }
    const std::optional<std::string>& unitName() const { return unitName_; }
    AudioUnitParameterOptions flags() const { return flags_; }
    const std::optional<std::vector<std::string>>& valueStrings() const { return valueStrings_; }
    const std::optional<std::vector<AUParameterAddress>>& dependentParameters() const {
        return dependentParameters_;
    }

    // [any, render] Never allocates or blocks.
    AUValue value() const noexcept { return value_.load(std::memory_order_relaxed); }
    // Stores `value` as given (the range is not applied) and reports the change to every
    // observer of this parameter and the groups above it except `originator`'s, on this thread.
    // [any but render] Allocates.
    void setValue(AUValue value, AUParameterObserverToken originator, std::uint64_t hostTime,
                  AUParameterAutomationEventType eventType);
    // A plain set: no originator, host time 0, event type value. [any but render] Allocates.
    void setValue(AUValue value) { setValue(value, nullptr, 0, AUParameterAutomationEventType::value); }

private:
    friend class AUParameterTree; // creates parameters
    friend class AUAudioUnit;     // restores values from a saved state without reporting them

    AUParameter(std::string identifier, std::string name, AUParameterAddress address, AUValue minValue,
                AUValue maxValue, AudioUnitParameterUnit unit, std::optional<std::string> unitName,
                AudioUnitParameterOptions flags, std::optional<std::vector<std::string>> valueStrings,
                std::optional<std::vector<AUParameterAddress>> dependentParameters);

    void restoreValue(AUValue value) noexcept { value_.store(value, std::memory_order_relaxed); }

    AUParameterAddress address_;
    AUValue minValue_;
    AUValue maxValue_;
    AudioUnitParameterUnit unit_;
    std::optional<std::string> unitName_;
    AudioUnitParameterOptions flags_;
    std::optional<std::vector<std::string>> valueStrings_;
    std::optional<std::vector<AUParameterAddress>> dependentParameters_;
    std::atomic<AUValue> value_{0};
};

} // namespace platform
