#pragma once
// What one render call of a controller monitor must hand the host's MIDI output, and the values
// its view must show afterwards.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Scenario.h"
#include "monitor/common/audiounit/VantrelExtensionRenderState.h"

namespace vantrel::simulation {

// One event as the host's MIDI output received it.
struct PassedEvent {
    std::int64_t sampleTime = 0;
    std::uint8_t cable = 0;
    std::vector<std::uint8_t> bytes;
    friend bool operator==(const PassedEvent&, const PassedEvent&) = default;
};

// The MIDI events of 1 to 3 bytes, in order, as they went in.
std::vector<PassedEvent> expectedPassThrough(std::span<const SimEvent> events);

// Describes the first difference between what was passed through and what should have been;
// none when they are equal.
std::optional<std::string> passThroughDifference(const std::vector<PassedEvent>& passed,
                                                 const std::vector<PassedEvent>& expected);

class MonitorValuesModel {
public:
    void apply(const SimEvent& event, std::span<const std::int64_t> articulationNotes);
    // None when the snapshot shows exactly the values the events left.
    std::optional<std::string> difference(const monitor::MonitorSnapshot& snapshot) const;

private:
    std::array<std::optional<int>, 256> ccValues_{};
    int lastNoteVelocity_ = 0;
    int activeArticulation_ = -1;
};

} // namespace vantrel::simulation
