#pragma once
// One set of the platform's services, created together and in force for this object's life.
// Platforms nest: each puts back the one it replaced, so they must end in reverse order of
// creation. SimulatedPlatform and LivePlatform choose the executor, the log sink, the seed and
// the application-support directory.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "platform/Platform.h"
#include "platform/audiounit/AudioUnitFaults.h"
#include "platform/core/Random.h"
#include "platform/dispatch/Executor.h"
#include "platform/log/LogSink.h"
#include "platform/midi/MIDIService.h"
#include "platform/notify/NotificationCenter.h"

namespace platform {

class InstalledPlatform {
public:
    // Makes the MIDI service on the platform's executor; by default the in-process one.
    using MIDIServiceFactory = std::function<std::unique_ptr<MIDIService>(Executor&)>;

    // [before other threads use the platform]
    InstalledPlatform(std::unique_ptr<Executor> executor, std::unique_ptr<LogSink> log, std::uint64_t seed,
                      std::optional<std::filesystem::path> applicationSupportDirectory,
                      const MIDIServiceFactory& makeMIDIService = {});
    // Ends the executor first, while every service still exists: work still running may call any
    // service, and dropped work may own objects whose destructors do. Then puts the previous
    // platform back and ends the services.
    ~InstalledPlatform();
    InstalledPlatform(const InstalledPlatform&) = delete;
    InstalledPlatform& operator=(const InstalledPlatform&) = delete;

    MIDIService& midi() { return *midi_; }
    NotificationCenter& notifications() { return *notifications_; }
    RandomGenerator& random() { return *random_; }
    AudioUnitFaults& audioUnitFaults() { return *audioUnitFaults_; }
    const Platform& platform() const { return platform_; }

private:
    std::unique_ptr<Executor> executor_;
    std::unique_ptr<MIDIService> midi_;
    std::unique_ptr<NotificationCenter> notifications_;
    std::unique_ptr<LogSink> log_;
    std::unique_ptr<RandomGenerator> random_;
    std::unique_ptr<AudioUnitFaults> audioUnitFaults_;
    Platform platform_;
    const Platform* previous_ = nullptr;
};

} // namespace platform
