#include "meter/common/ui/AudioUnitViewController.h"

#include "meter/common/audiounit/TolvaneAudioMeterExtensionAudioUnit.h"
#include "meter/ui/TolvaneAudioMeterExtensionMainView.h"
#include "platform/dispatch/DispatchQueue.h"

namespace vantrel::meter {

std::shared_ptr<platform::AUAudioUnit>
AudioUnitViewController::createAudioUnit(const platform::AudioComponentDescription& description) {
    std::shared_ptr<platform::AUAudioUnit> unit =
        std::make_shared<TolvaneAudioMeterExtensionAudioUnit>(description, 0);
    // The controller's fields belong to the main thread; a controller gone by then needs nothing.
    std::weak_ptr<AudioUnitViewController> weakSelf =
        std::static_pointer_cast<AudioUnitViewController>(shared_from_this());
    platform::DispatchQueue::main().async([weakSelf, unit] {
        const auto self = weakSelf.lock();
        if (!self) return;
        self->setAudioUnit(unit);
        self->configureSwiftUIView(unit);
    });
    return unit;
}

std::shared_ptr<platform::ui::View>
AudioUnitViewController::makeMainView(std::shared_ptr<ObservableAUParameterGroup> parameterTree,
                                      const std::shared_ptr<platform::AUAudioUnit>&) const {
    return std::make_shared<TolvaneAudioMeterExtensionMainView>(std::move(parameterTree));
}

} // namespace vantrel::meter
