// The controller-monitor plug-in's module entry: hands the host a new principal, the plug-in's
// view controller, which is its audio-unit factory.

#include <memory>
#include <type_traits>

#include "monitor/common/ui/AudioUnitViewController.h"
#include "platform/audiounit/AUAudioUnitFactory.h"

extern "C" __attribute__((visibility("default"))) void
VantrelPluginCreatePrincipal(std::shared_ptr<platform::AUAudioUnitFactory>* principal) {
    *principal = std::make_shared<vantrel::monitor::AudioUnitViewController>();
}

static_assert(std::is_same_v<decltype(&VantrelPluginCreatePrincipal), platform::PluginPrincipalEntryPoint>);
