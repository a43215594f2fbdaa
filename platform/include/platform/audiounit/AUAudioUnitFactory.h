#pragma once
// What a plug-in module offers a host: its principal class, a view controller that is also the
// audio-unit factory. A host loads the module, calls its entry point once per instance it wants,
// asks the principal for the audio unit, and shows the principal's view as the plug-in window.

#include <memory>

#include "platform/audiounit/AudioComponentDescription.h"

namespace platform {

class AUAudioUnit;

class AUAudioUnitFactory {
public:
    virtual ~AUAudioUnitFactory() = default;
    // [host thread] The new audio unit; throws the construction's PlatformError on failure.
    virtual std::shared_ptr<AUAudioUnit> createAudioUnit(const AudioComponentDescription& description) = 0;
};

// The entry point every plug-in module exports, with C linkage, under this name: it stores a new
// principal in `*principal`, made with std::make_shared so that its view controller side can
// hand out shared references to itself; the dynamic type is both a ui::AUViewController and an
// AUAudioUnitFactory.
inline constexpr const char* kPluginPrincipalEntryPoint = "VantrelPluginCreatePrincipal";
using PluginPrincipalEntryPoint = void (*)(std::shared_ptr<AUAudioUnitFactory>* principal);

} // namespace platform
