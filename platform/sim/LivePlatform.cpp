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

LivePlatform::LivePlatform() : LivePlatform(std::make_unique<ThreadedExecutor>()) {}

LivePlatform::LivePlatform(std::unique_ptr<ThreadedExecutor> executor)
    : executor_(*executor), services_(std::move(executor), std::make_unique<StreamLogSink>(), machineSeed(),
                                      liveApplicationSupportDirectory()) {}

} // namespace platform
