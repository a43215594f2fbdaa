#pragma once
// Runs a scenario script through the host on the simulated platform, with the plug-ins linked in,
// and checks after every command what the plug-ins did: pass-through MIDI, audio, the messages
// they sent, their log lines, the tracks their meters took up, and that nothing of a released
// instance runs.

#include <string>
#include <vector>

#include "host/scenario/ScenarioRunner.h"

namespace vantrel::simulation {

inline constexpr const char* settleMark = "# settled: everything queued has arrived";
inline constexpr const char* quietMark = "# quiet: every instance is released";

// What a run exercised, so that a suite can tell that the scenarios reach what they should.
struct Coverage {
    std::size_t reportsArrived = 0, queueOverflows = 0, timerHeartbeats = 0, peakMessages = 0,
                passedThrough = 0, tracksFromMapping = 0;
};

struct CheckedRun {
    // What the checks found up to the end of the first command that failed them (later failures
    // mostly follow from it), and that command's script line.
    std::vector<std::string> violations;
    int failedLine = 0;
};

// From the line after `settleMark` on, everything queued must have arrived; from `quietMark` on,
// every instance is released and nothing may happen. `options` names the plug-ins and the trace;
// what the run reached is added to `coverage`.
CheckedRun runChecked(const std::string& text, host::RunOptions options, Coverage& coverage);

} // namespace vantrel::simulation
