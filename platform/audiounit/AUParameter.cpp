#include "platform/audiounit/AUParameter.h"

namespace platform {

AUParameter::AUParameter(std::string identifier, std::string name, AUParameterAddress address,
                         AUValue minValue, AUValue maxValue, AudioUnitParameterUnit unit,
                         std::optional<std::string> unitName, AudioUnitParameterOptions flags,
                         std::optional<std::vector<std::string>> valueStrings,
                         std::optional<std::vector<AUParameterAddress>> dependentParameters)
    : AUParameterNode(std::move(identifier), std::move(name)), address_(address), minValue_(minValue),
      maxValue_(maxValue), unit_(unit), unitName_(std::move(unitName)), flags_(flags),
      valueStrings_(std::move(valueStrings)), dependentParameters_(std::move(dependentParameters)) {}

void AUParameter::setValue(AUValue value, AUParameterObserverToken originator, std::uint64_t hostTime,
                           AUParameterAutomationEventType eventType) {
    value_.store(value, std::memory_order_relaxed);
    notifyObservers({hostTime, address_, value, eventType}, originator);
}

} // namespace platform
