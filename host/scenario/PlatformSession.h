#pragma once
// The platform of one host run, installed for its scope: simulated (virtual time, seeded random
// numbers) or live (real threads and real time). Either way the process's log lines go to the
// run's own sink. A live run gets a temporary application-support folder so that it never
// touches the user's files, unless it talks to other processes over JACK or D-Bus: then it
// shares the user's folder with the receiver program, as a plug-in in a real host does.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

#include "platform/Platform.h"
#include "platform/log/LogSink.h"
#include "platform/sim/LivePlatform.h"
#include "platform/sim/SimulatedPlatform.h"

namespace vantrel::host {

enum class RunMode { simulated, live };

class PlatformSession {
public:
    // `log` must outlive the session. [main thread of the process, before any other thread]
    PlatformSession(RunMode mode, std::uint64_t seed, platform::LogSink& log,
                    const platform::LiveTransports& transports = {});
    // Stops the platform's threads (a live run) while the run's sink is still in force, then
    // puts back the platform that was in force before.
    ~PlatformSession();
    PlatformSession(const PlatformSession&) = delete;
    PlatformSession& operator=(const PlatformSession&) = delete;

    RunMode mode() const { return mode_; }
    platform::TimePoint now() const;
    // Lets time pass: virtual time runs what falls due; real time waits. [host]
    void advance(platform::Duration duration);

    const platform::Platform& platform() const { return override_; }
    const std::filesystem::path& applicationSupportDirectory() const { return applicationSupport_; }

private:
    RunMode mode_;
    platform::Platform override_;
    std::filesystem::path applicationSupport_;
    std::optional<std::filesystem::path> temporaryFolder_;
    // Last, so that they end first: their threads and queued work still see the sink.
    std::unique_ptr<platform::SimulatedPlatform> simulated_;
    std::unique_ptr<platform::LivePlatform> live_;
};

} // namespace vantrel::host
