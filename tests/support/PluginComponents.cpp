#include "support/PluginComponents.h"

#include "host/plugins/BundleDescription.h"

namespace vantrel::test {

namespace {

platform::AudioComponentDescription declaredBy(const char* module) {
    return host::readBundleDescription(std::filesystem::path(VANTREL_MODULES_DIR) / module)
        .audioComponents.at(0)
        .description;
}

} // namespace

platform::AudioComponentDescription monitorComponent() {
    static const platform::AudioComponentDescription description = declaredBy("VantrelExtension");
    return description;
}

platform::AudioComponentDescription meterComponent() {
    static const platform::AudioComponentDescription description = declaredBy("TolvaneAudioMeterExtension");
    return description;
}

} // namespace vantrel::test
