#pragma once
// Runs a scenario script against the real plug-in modules, with the receiver substitute in the
// receiver application's place, and writes the trace. Under the simulated platform the run is
// deterministic: same script and seed, same trace, byte for byte.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "host/plugins/ComponentRegistry.h"
#include "host/scenario/PlatformSession.h"
#include "host/scenario/ScenarioObserver.h"
#include "host/script/Script.h"

namespace vantrel::host {

struct RunOptions {
    RunMode mode = RunMode::simulated;
    std::optional<std::uint64_t> seed; // none: 1 under simulation, the machine's seed live
    std::filesystem::path application; // the container application's folder
    platform::LiveTransports transports; // a live run's
    std::FILE* trace = stdout;
    std::FILE* diagnostics = stderr;         // plug-ins that cannot be registered are named here
    ComponentRegistry* components = nullptr; // none: the plug-ins in `application`
    ScenarioObserver* observer = nullptr;
};

// Runs `script` to its end and returns the exit status (0). [main thread of the process]
int runScenario(const Script& script, const RunOptions& options);

} // namespace vantrel::host
