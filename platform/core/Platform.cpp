#include "platform/Platform.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {
std::atomic<const Platform*> installed{nullptr};
}

const Platform& Platform::current() {
    const Platform* platform = installed.load(std::memory_order_acquire);
    if (platform == nullptr) {
        std::fputs("no platform installed: install a SimulatedPlatform or LivePlatform first\n", stderr);
        std::abort();
    }
    return *platform;
}

const Platform* Platform::install(const Platform* next) {
    return installed.exchange(next, std::memory_order_acq_rel);
}

} // namespace platform
