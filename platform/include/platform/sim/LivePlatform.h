#pragma once
// The platform of a live run: real threads and real time, log lines on standard error, printed
// lines on standard output, random numbers seeded by the machine, and the user's real
// application-support directory. In force for its scope, like SimulatedPlatform. MIDI and
// distributed notifications stay inside the process unless the run asks for JACK and the D-Bus
// session bus.

#include <memory>
#include <string>

#include "platform/dispatch/ThreadedExecutor.h"
#include "platform/sim/InstalledPlatform.h"

namespace platform {

class JackMIDIService;
class DBusNotificationTransport;

struct LiveTransports {
    bool jack = false;
    bool dbus = false;
    std::string jackClientName = "vantrel";

    // VANTREL_TRANSPORTS, a comma-separated list of "jack" and "dbus", added to `this`; false,
    // with `error` set, when it names anything else.
    bool addFromEnvironment(std::string& error);
};

class LivePlatform {
public:
    // [main, before other threads use the platform]
    explicit LivePlatform(const LiveTransports& transports = {});
    // Stops the transports' threads, then every queue (work already running finishes; queued
    // work is dropped) while every service still exists, then puts the previous platform back
    // and ends the services.
    ~LivePlatform();
    LivePlatform(const LivePlatform&) = delete;
    LivePlatform& operator=(const LivePlatform&) = delete;

    ThreadedExecutor& executor() { return executor_; }
    MIDIService& midi() { return services_.midi(); }
    NotificationCenter& notifications() { return services_.notifications(); }
    AudioUnitFaults& audioUnitFaults() { return services_.audioUnitFaults(); }
    const Platform& platform() const { return services_.platform(); }

private:
    LivePlatform(std::unique_ptr<ThreadedExecutor> executor, const LiveTransports& transports);

    ThreadedExecutor& executor_;
    InstalledPlatform services_;
    std::shared_ptr<DBusNotificationTransport> bus_;
};

} // namespace platform
