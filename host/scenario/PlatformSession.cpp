#include "host/scenario/PlatformSession.h"

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>

namespace vantrel::host {

namespace {

std::filesystem::path makeTemporaryFolder() {
    std::error_code error;
    const auto base = std::filesystem::temp_directory_path(error);
    std::string pattern = ((error ? std::filesystem::path("/tmp") : base) / "vantrel-live-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
    return pattern;
}

} // namespace

PlatformSession::PlatformSession(RunMode mode, std::uint64_t seed, platform::LogSink& log,
                                 const platform::LiveTransports& transports)
    : mode_(mode) {
    if (mode == RunMode::simulated) {
        simulated_ = std::make_unique<platform::SimulatedPlatform>(seed);
        override_ = simulated_->platform();
        if (!override_.applicationSupportDirectory)
            throw std::runtime_error("the simulated platform has no application-support folder");
    } else {
        live_ = std::make_unique<platform::LivePlatform>(transports);
        override_ = live_->platform();
        const bool shared = (transports.jack || transports.dbus) && override_.applicationSupportDirectory;
        if (!shared) {
            temporaryFolder_ = makeTemporaryFolder();
            override_.applicationSupportDirectory = temporaryFolder_;
        }
    }
    applicationSupport_ = *override_.applicationSupportDirectory;
    override_.log = &log;
    platform::Platform::install(&override_);
}

PlatformSession::~PlatformSession() {
    // Each platform stops its work and then puts back what was in force before it, which is
    // what was in force before this session as well.
    live_.reset();
    simulated_.reset();
    if (temporaryFolder_) {
        std::error_code ignored;
        std::filesystem::remove_all(*temporaryFolder_, ignored);
    }
}

platform::TimePoint PlatformSession::now() const {
    return override_.executor->now();
}

void PlatformSession::advance(platform::Duration duration) {
    if (simulated_) {
        simulated_->advance(duration);
    } else {
        std::this_thread::sleep_for(duration);
    }
}

} // namespace vantrel::host
