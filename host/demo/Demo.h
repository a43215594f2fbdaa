#pragma once
// The live demo: both plug-ins loaded from the container application's folder and run in real
// time on the threaded platform, with the receiver substitute in the receiver application's
// place, while the screen shows what the receiver learns.

#include <cstdio>
#include <filesystem>

#include "platform/sim/LivePlatform.h"

namespace vantrel::host {

struct DemoOptions {
    std::filesystem::path application; // the container application's folder
    double seconds = 10;
    std::FILE* out = stdout;
    // Over JACK the receiver program plays the receiver's part: the demo's own stays down and
    // leaves the mapping file and the articulations to it.
    platform::LiveTransports transports;
};

// Runs the demo for `seconds` and returns the exit status: 0, or 1 when the plug-ins cannot be
// loaded. [main thread of the process]
int runDemo(const DemoOptions& options);

} // namespace vantrel::host
