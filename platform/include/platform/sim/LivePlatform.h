#pragma once
// The platform of a live run: real threads and real time, log lines on standard error, printed
// lines on standard output, random numbers seeded by the machine, and the user's real
// application-support directory. In force for its scope, like SimulatedPlatform.

#include <memory>

#include "platform/dispatch/ThreadedExecutor.h"
#include "platform/sim/InstalledPlatform.h"

namespace platform {

class LivePlatform {
public:
    LivePlatform(); // [main, before other threads use the platform]
    // Stops every queue (work already running finishes; queued work is dropped) while every
    // service still exists, then puts the previous platform back and ends the services.
    ~LivePlatform() = default;
    LivePlatform(const LivePlatform&) = delete;
    LivePlatform& operator=(const LivePlatform&) = delete;

    ThreadedExecutor& executor() { return executor_; }
    MIDIService& midi() { return services_.midi(); }
    NotificationCenter& notifications() { return services_.notifications(); }
    AudioUnitFaults& audioUnitFaults() { return services_.audioUnitFaults(); }
    const Platform& platform() const { return services_.platform(); }

private:
    explicit LivePlatform(std::unique_ptr<ThreadedExecutor> executor);

    ThreadedExecutor& executor_;
    InstalledPlatform services_;
};

} // namespace platform
