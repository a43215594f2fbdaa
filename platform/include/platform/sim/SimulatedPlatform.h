#pragma once
// A fresh, fully controllable platform for one test or scenario: virtual time, its own MIDI
// service, notification center and captured log, seeded random numbers, audio-unit faults and a
// temporary application-support directory. It is in force for its scope; platforms nest, and
// each one puts back the one it replaced (so they must end in reverse order of creation).

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

#include "platform/dispatch/SimulatedExecutor.h"
#include "platform/sim/InstalledPlatform.h"

namespace platform {

class SimulatedPlatform {
public:
    // [test thread, before other threads use the platform]
    explicit SimulatedPlatform(std::uint64_t seed = 1);
    // Drops the work still queued (without running it) while every service still exists, then
    // puts the previous platform back, then ends the services and removes the directory.
    ~SimulatedPlatform() = default;
    SimulatedPlatform(const SimulatedPlatform&) = delete;
    SimulatedPlatform& operator=(const SimulatedPlatform&) = delete;

    SimulatedExecutor& executor() { return executor_; }
    MIDIService& midi() { return services_.midi(); }
    NotificationCenter& notifications() { return services_.notifications(); }
    CapturingLogSink& log() { return log_; }
    RandomGenerator& random() { return services_.random(); }
    AudioUnitFaults& audioUnitFaults() { return services_.audioUnitFaults(); }
    // The temporary directory; none only if it could not be created.
    const std::optional<std::filesystem::path>& applicationSupportDirectory() const {
        return directory_.path;
    }
    const Platform& platform() const { return services_.platform(); }

    // Lets virtual time pass; everything that falls due runs on the calling thread.
    void advance(Duration duration) { executor_.advance(duration); }
    void runDue() { executor_.runDue(); }
    TimePoint now() const { return executor_.now(); }

private:
    // Removed once the services are gone.
    struct TemporaryDirectory {
        TemporaryDirectory();
        ~TemporaryDirectory();
        TemporaryDirectory(const TemporaryDirectory&) = delete;
        TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
        std::optional<std::filesystem::path> path;
    };

    SimulatedPlatform(std::unique_ptr<SimulatedExecutor> executor, std::unique_ptr<CapturingLogSink> log,
                      std::uint64_t seed);

    SimulatedExecutor& executor_;
    CapturingLogSink& log_;
    TemporaryDirectory directory_;
    InstalledPlatform services_;
};

} // namespace platform
