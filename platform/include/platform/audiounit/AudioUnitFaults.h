#pragma once
// Failures a host or test can arrange for the next audio-unit construction.

#include <atomic>

namespace platform {

struct AudioUnitFaults {
    std::atomic<bool> failNextBaseConstruction{false}; // the base class's constructor throws
    std::atomic<bool> failNextBusCreation{false};      // the next AUAudioUnitBus creation throws
};

} // namespace platform
