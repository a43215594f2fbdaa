#pragma once
// The services in force in this process. There is one of each, as on a real system; tests and
// scenarios get a fresh set by installing a SimulatedPlatform for their scope, the live host by
// installing a LivePlatform.

#include <filesystem>
#include <optional>

namespace platform {

class Executor;
class MIDIService;
class NotificationCenter;
class LogSink;
class RandomGenerator;
struct AudioUnitFaults;

struct Platform {
    Executor* executor = nullptr;
    MIDIService* midi = nullptr;
    NotificationCenter* notifications = nullptr;
    LogSink* log = nullptr;
    RandomGenerator* random = nullptr;
    AudioUnitFaults* audioUnitFaults = nullptr;
    // The user's application-support directory; none when the system reports none.
    std::optional<std::filesystem::path> applicationSupportDirectory;

    // [any] The platform in force; stops the process with a message when none is installed.
    static const Platform& current();
    // Puts `next` in force (null: none) and returns what was in force. [before threads start]
    static const Platform* install(const Platform* next);
};

} // namespace platform
