#include "platform/sim/InstalledPlatform.h"

namespace platform {

InstalledPlatform::InstalledPlatform(std::unique_ptr<Executor> executor, std::unique_ptr<LogSink> log,
                                     std::uint64_t seed,
                                     std::optional<std::filesystem::path> applicationSupportDirectory,
                                     const MIDIServiceFactory& makeMIDIService)
    : executor_(std::move(executor)),
      midi_(makeMIDIService ? makeMIDIService(*executor_) : std::make_unique<MIDIService>(*executor_)),
      notifications_(std::make_unique<NotificationCenter>()), log_(std::move(log)),
      random_(std::make_unique<RandomGenerator>(seed)),
      audioUnitFaults_(std::make_unique<AudioUnitFaults>()) {
    platform_.executor = executor_.get();
    platform_.midi = midi_.get();
    platform_.notifications = notifications_.get();
    platform_.log = log_.get();
    platform_.random = random_.get();
    platform_.audioUnitFaults = audioUnitFaults_.get();
    platform_.applicationSupportDirectory = std::move(applicationSupportDirectory);
    previous_ = Platform::install(&platform_);
}

InstalledPlatform::~InstalledPlatform() {
    executor_.reset();
    Platform::install(previous_);
}

} // namespace platform
