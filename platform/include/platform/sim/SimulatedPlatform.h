#pragma once
// A fresh, fully controllable platform for one test or scenario: virtual time, its own MIDI
// service, notification center and captured log, seeded random numbers, audio-unit faults and a
// temporary application-support directory. It is in force for its scope; platforms nest, and
// each one puts back the one it replaced (so they must end in reverse order of creation).

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

#include "platform/Platform.h"
#include "platform/audiounit/AudioUnitFaults.h"
#include "platform/core/Random.h"
#include "platform/dispatch/SimulatedExecutor.h"
#include "platform/log/LogSink.h"
#include "platform/midi/MIDIService.h"
#include "platform/notify/NotificationCenter.h"

namespace platform {

class SimulatedPlatform {
public:
    // [test thread, before other threads use the platform]
    explicit SimulatedPlatform(std::uint64_t seed = 1);
    // Drops the work still queued (without running it) while every service still exists, then
    // puts the previous platform back, then ends the services and removes the directory.
    ~SimulatedPlatform();
    SimulatedPlatform(const SimulatedPlatform&) = delete;
    SimulatedPlatform& operator=(const SimulatedPlatform&) = delete;

    SimulatedExecutor& executor() { return *executor_; }
    MIDIService& midi() { return *midi_; }
    NotificationCenter& notifications() { return *notifications_; }
    CapturingLogSink& log() { return *log_; }
    RandomGenerator& random() { return *random_; }
    AudioUnitFaults& audioUnitFaults() { return *audioUnitFaults_; }
    // The temporary directory; none only if it could not be created.
    const std::optional<std::filesystem::path>& applicationSupportDirectory() const {
        return platform_.applicationSupportDirectory;
    }
    const Platform& platform() const { return platform_; }

    // Lets virtual time pass; everything that falls due runs on the calling thread.
    void advance(Duration duration) { executor_->advance(duration); }
    void runDue() { executor_->runDue(); }
    TimePoint now() const { return executor_->now(); }

private:
    std::unique_ptr<SimulatedExecutor> executor_;
    std::unique_ptr<MIDIService> midi_;
    std::unique_ptr<NotificationCenter> notifications_;
    std::unique_ptr<CapturingLogSink> log_;
    std::unique_ptr<RandomGenerator> random_;
    std::unique_ptr<AudioUnitFaults> audioUnitFaults_;
    Platform platform_;
    const Platform* previous_ = nullptr;
};

} // namespace platform
