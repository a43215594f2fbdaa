#include "monitor/common/ui/AudioUnitViewController.h"

#include <exception>

#include "monitor/common/audiounit/VantrelExtensionAudioUnit.h"
#include "monitor/parameters/Parameters.h"
#include "monitor/ui/VantrelExtensionMainView.h"
#include "platform/dispatch/DispatchQueue.h"

namespace vantrel::monitor {

std::shared_ptr<platform::AUAudioUnit>
AudioUnitViewController::createAudioUnit(const platform::AudioComponentDescription& description) {
    std::shared_ptr<platform::AUAudioUnit> created;
    std::exception_ptr failure; // handed across, as the main queue cannot throw to the caller
    platform::DispatchQueue::main().sync([&] {
        try {
            created = createOnMain(description);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    if (failure) std::rethrow_exception(failure);
    return created;
}

std::shared_ptr<platform::AUAudioUnit>
AudioUnitViewController::createOnMain(const platform::AudioComponentDescription& description) {
    std::shared_ptr<platform::AUAudioUnit> unit = VantrelExtensionAudioUnit::create(description, 0);
    setAudioUnit(unit);
    unit->setParameterTree(createAUParameterTree(VantrelExtensionParameterSpecs()));

    // A restored state sets the values without telling the parameters' observers; setting each
    // value to itself tells them, so that the views' wrappers follow.
    observation_ = unit->observeAllParameterValues([](platform::AUAudioUnit& changed) {
        const auto tree = changed.parameterTree();
        if (!tree) return;
        for (const auto& parameter : tree->allParameters())
            parameter->setValue(parameter->value());
    });

    if (!unit->parameterTree()) log_.error("Unable to access AU ParameterTree");

    auto self = std::static_pointer_cast<AudioUnitViewController>(shared_from_this());
    platform::DispatchQueue::main().async([self, unit] { self->configureSwiftUIView(unit); });
    return unit;
}

std::shared_ptr<platform::ui::View>
AudioUnitViewController::makeMainView(std::shared_ptr<ObservableAUParameterGroup> parameterTree,
                                      const std::shared_ptr<platform::AUAudioUnit>& audioUnit) const {
    return std::make_shared<VantrelExtensionMainView>(
        std::move(parameterTree), std::dynamic_pointer_cast<VantrelExtensionAudioUnit>(audioUnit));
}

} // namespace vantrel::monitor
