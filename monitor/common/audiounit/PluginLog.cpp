#include "monitor/common/audiounit/PluginLog.h"

#include <string>

namespace vantrel::monitor {

const platform::Logger& pluginLog() {
    static const platform::Logger logger("com.marlek.Vantrel", "AudioUnit");
    return logger;
}

void ccLog(std::string_view message) {
    pluginLog().error("🔌 " + std::string(message));
}

} // namespace vantrel::monitor
