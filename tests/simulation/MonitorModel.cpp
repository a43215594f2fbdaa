#include "MonitorModel.h"

#include <algorithm>

#include "protocol/ReceiverMessageDecoder.h"

namespace vantrel::simulation {

namespace {

std::string describe(const PassedEvent& event) {
    return protocol::hexString(event.bytes) + " at " + std::to_string(event.sampleTime) + " cable " +
           std::to_string(event.cable);
}

} // namespace

std::vector<PassedEvent> expectedPassThrough(std::span<const SimEvent> events) {
    std::vector<PassedEvent> passed;
    for (const SimEvent& event : events) {
        if (event.type != 8 || event.length < 1 || event.length > 3) continue;
        passed.push_back(
            {event.sampleTime, event.cable, {event.data.begin(), event.data.begin() + event.length}});
    }
    return passed;
}

std::optional<std::string> passThroughDifference(const std::vector<PassedEvent>& passed,
                                                 const std::vector<PassedEvent>& expected) {
    if (passed == expected) return std::nullopt;
    std::size_t index = 0;
    while (index < passed.size() && index < expected.size() && passed[index] == expected[index])
        ++index;
    std::string message = "passed through " + std::to_string(passed.size()) + " events where " +
                          std::to_string(expected.size()) + " went in; event " + std::to_string(index);
    if (index < passed.size()) message += " passed " + describe(passed[index]);
    if (index < expected.size()) message += " expected " + describe(expected[index]);
    return message;
}

void MonitorValuesModel::apply(const SimEvent& event, std::span<const std::int64_t> articulationNotes) {
    if (event.type != 8 || event.length < 2) return;
    const auto [status, d1, d2] = event.data;
    switch (status & 0xF0) {
    case 0x90:
        if (event.length != 3 || d2 == 0) return;
        if (std::ranges::find(articulationNotes, std::int64_t{d1}) != articulationNotes.end()) {
            activeArticulation_ = d1;
        } else {
            lastNoteVelocity_ = d2;
        }
        return;
    case 0xB0:
        ccValues_[d1] = event.length == 2 ? 0 : d2;
        return;
    default:
        return;
    }
}

std::optional<std::string> MonitorValuesModel::difference(const monitor::MonitorSnapshot& snapshot) const {
    std::map<int, int> ccValues;
    for (std::size_t controller = 0; controller < ccValues_.size(); ++controller) {
        if (ccValues_[controller]) ccValues.emplace(static_cast<int>(controller), *ccValues_[controller]);
    }
    if (snapshot.monitorCCValues != ccValues) {
        return "the view's controller values differ (" + std::to_string(snapshot.monitorCCValues.size()) +
               " controllers shown, " + std::to_string(ccValues.size()) + " seen)";
    }
    if (snapshot.monitorLastNoteVelocity != lastNoteVelocity_) {
        return "last note velocity " + std::to_string(snapshot.monitorLastNoteVelocity) + ", expected " +
               std::to_string(lastNoteVelocity_);
    }
    if (snapshot.monitorActiveArticulation != activeArticulation_) {
        return "active articulation " + std::to_string(snapshot.monitorActiveArticulation) + ", expected " +
               std::to_string(activeArticulation_);
    }
    return std::nullopt;
}

} // namespace vantrel::simulation
