#pragma once
// Failures a host or test can arrange for the next audio-unit construction or allocation. Each
// flag is cleared by the call that fails.

#include <atomic>

namespace platform {

struct AudioUnitFaults {
    std::atomic<bool> failNextBaseConstruction{false}; // the base class's constructor throws
    std::atomic<bool> failNextBusCreation{false};      // the next AUAudioUnitBus creation throws
    std::atomic<bool> failNextAllocate{false};         // the next base allocateRenderResources throws
};

} // namespace platform
