#include "frame/common/ui/ObservableAUParameter.h"

#include "frame/common/ui/FloatText.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/log/Logger.h"

namespace vantrel {

using platform::AUParameterAutomationEventType;

ObservableAUParameter::ObservableAUParameter(const std::shared_ptr<platform::AUParameter>& parameter)
    : parameter_(parameter), min_(parameter->minValue()), max_(parameter->maxValue()),
      displayName_(parameter->displayName()), unit_(parameter->unit()), value_(parameter->value()) {}

std::shared_ptr<ObservableAUParameter>
ObservableAUParameter::make(const std::shared_ptr<platform::AUParameter>& parameter) {
    std::shared_ptr<ObservableAUParameter> wrapper(new ObservableAUParameter(parameter));
    // Held weakly, so that the parameter does not keep every wrapper ever made alive; the
    // queued update holds it, so a change on its way is still applied.
    std::weak_ptr<ObservableAUParameter> weakWrapper = wrapper;
    wrapper->observerToken_ = parameter->tokenByAddingParameterObserver(
        [weakWrapper](platform::AUParameterAddress address, platform::AUValue value) {
            auto strong = weakWrapper.lock();
            if (!strong) return;
            platform::DispatchQueue::main().async(
                [wrapper = std::move(strong), address, value] { wrapper->applyHostChange(address, value); });
        });
    return wrapper;
}

ObservableAUParameter::~ObservableAUParameter() {
    if (const auto parameter = parameter_.lock()) parameter->removeParameterObserver(observerToken_);
}

void ObservableAUParameter::setValue(platform::AUValue value) {
    registrar_.store("value", value_, value);
    if (editingState_ == EditingState::hostUpdate) return;
    const auto eventType = resolveEventType();
    if (const auto parameter = parameter_.lock()) parameter->setValue(value_, observerToken_, 0, eventType);
    platform::printLine("Param was set " + shortestFloatText(value_));
}

void ObservableAUParameter::onEditingChanged(bool editing) {
    if (editing) {
        setEditingState(EditingState::began);
        return;
    }
    setEditingState(EditingState::ended);
    setValue(value_);
}

void ObservableAUParameter::applyHostChange(platform::AUParameterAddress address, platform::AUValue value) {
    const auto parameter = parameter_.lock();
    if (!parameter || parameter->address() != address) return;
    // A drag in progress wins over the host.
    if (editingState_ != EditingState::inactive) return;
    setEditingState(EditingState::hostUpdate);
    setValue(value);
    setEditingState(EditingState::inactive);
}

AUParameterAutomationEventType ObservableAUParameter::resolveEventType() {
    switch (editingState_) {
    case EditingState::began:
        setEditingState(EditingState::active);
        return AUParameterAutomationEventType::touch;
    case EditingState::ended:
        setEditingState(EditingState::inactive);
        return AUParameterAutomationEventType::release;
    default:
        return AUParameterAutomationEventType::value;
    }
}

} // namespace vantrel
