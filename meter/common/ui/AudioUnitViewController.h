#pragma once
// The audio meter's principal: the audio-unit factory that creates an instance, and the view
// controller that would host its main view. The meter's unit publishes no parameter tree, so
// no main view is ever hosted.

#include <memory>

#include "frame/common/ui/AudioUnitViewControllerBase.h"

namespace vantrel::meter {

class AudioUnitViewController final : public AudioUnitViewControllerBase {
public:
    AudioUnitViewController() = default;

    // [host thread] Constructs the instance on the caller's thread and returns it at once; the
    // controller takes it, and configures its view, later on the main queue if the controller
    // still exists then. Throws the construction's PlatformError, having changed nothing.
    std::shared_ptr<platform::AUAudioUnit>
    createAudioUnit(const platform::AudioComponentDescription& description) override;

protected:
    std::shared_ptr<platform::ui::View>
    makeMainView(std::shared_ptr<ObservableAUParameterGroup> parameterTree,
                 const std::shared_ptr<platform::AUAudioUnit>& audioUnit) const override;
};

} // namespace vantrel::meter
