#include "platform/sim/SimulatedPlatform.h"

#include <cstdlib>
#include <string>
#include <system_error>

namespace platform {

namespace {

std::optional<std::filesystem::path> makeTemporaryDirectory() {
    std::error_code error;
    const auto base = std::filesystem::temp_directory_path(error);
    if (error) return std::nullopt;
    std::string pattern = (base / "vantrel-sim-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return std::nullopt;
    return std::filesystem::path(pattern);
}

} // namespace

SimulatedPlatform::SimulatedPlatform(std::uint64_t seed)
    : executor_(std::make_unique<SimulatedExecutor>()), midi_(std::make_unique<MIDIService>(*executor_)),
      notifications_(std::make_unique<NotificationCenter>()), log_(std::make_unique<CapturingLogSink>()),
      random_(std::make_unique<RandomGenerator>(seed)),
      audioUnitFaults_(std::make_unique<AudioUnitFaults>()) {
    platform_.executor = executor_.get();
    platform_.midi = midi_.get();
    platform_.notifications = notifications_.get();
    platform_.log = log_.get();
    platform_.random = random_.get();
    platform_.audioUnitFaults = audioUnitFaults_.get();
    platform_.applicationSupportDirectory = makeTemporaryDirectory();
    previous_ = Platform::install(&platform_);
}

SimulatedPlatform::~SimulatedPlatform() {
    // Dropped work may own the last reference to an object whose destructor still calls the
    // platform, so this platform and its services stay in force until it is gone.
    executor_.reset();
    Platform::install(previous_);
    if (platform_.applicationSupportDirectory) {
        std::error_code ignored;
        std::filesystem::remove_all(*platform_.applicationSupportDirectory, ignored);
    }
}

} // namespace platform
