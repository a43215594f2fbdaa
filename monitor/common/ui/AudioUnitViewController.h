#pragma once
// The controller monitor's principal: the audio-unit factory that creates an instance and
// installs its parameter tree, and the view controller that hosts its main view.

#include <memory>

#include "frame/common/ui/AudioUnitViewControllerBase.h"
#include "platform/log/Logger.h"

namespace vantrel::monitor {

class AudioUnitViewController final : public AudioUnitViewControllerBase {
public:
    AudioUnitViewController() = default;

    // [host thread; also main] Creates the instance on the main queue and waits for it (on the
    // main thread itself it runs at once): constructs it, installs the declared parameter tree,
    // keeps the parameters' observers told of restored states, and queues the first view
    // configuration. Throws the construction's PlatformError, having changed nothing.
    std::shared_ptr<platform::AUAudioUnit>
    createAudioUnit(const platform::AudioComponentDescription& description) override;

protected:
    std::shared_ptr<platform::ui::View>
    makeMainView(std::shared_ptr<ObservableAUParameterGroup> parameterTree,
                 const std::shared_ptr<platform::AUAudioUnit>& audioUnit) const override;

private:
    std::shared_ptr<platform::AUAudioUnit>
    createOnMain(const platform::AudioComponentDescription& description);

    std::unique_ptr<platform::KeyValueObservation> observation_;
    platform::Logger log_{"com.marlek.TolvaneVantrel.TolvaneVantrel.VantrelExtension",
                          "AudioUnitViewController"};
};

} // namespace vantrel::monitor
