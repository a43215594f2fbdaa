#include "platform/sim/LivePlatform.h"

#include <random>

#include "platform/files/FileSystem.h"

namespace platform {

namespace {

std::uint64_t machineSeed() {
    std::random_device device;
    return (std::uint64_t{device()} << 32) | device();
}

} // namespace

LivePlatform::LivePlatform()
    : executor_(std::make_unique<ThreadedExecutor>()), midi_(std::make_unique<MIDIService>(*executor_)),
      notifications_(std::make_unique<NotificationCenter>()), log_(std::make_unique<StreamLogSink>()),
      random_(std::make_unique<RandomGenerator>(machineSeed())),
      audioUnitFaults_(std::make_unique<AudioUnitFaults>()) {
    platform_.executor = executor_.get();
    platform_.midi = midi_.get();
    platform_.notifications = notifications_.get();
    platform_.log = log_.get();
    platform_.random = random_.get();
    platform_.audioUnitFaults = audioUnitFaults_.get();
    platform_.applicationSupportDirectory = liveApplicationSupportDirectory();
    previous_ = Platform::install(&platform_);
}

LivePlatform::~LivePlatform() {
    // Work still running may call any service, and dropped work may own objects whose
    // destructors do, so the queues stop first.
    executor_.reset();
    Platform::install(previous_);
}

} // namespace platform
