#pragma once
// What the simulation must know of the MIDI link to predict a monitor's reports: whether its
// `sendingEnabled` gate is open, and when armed send faults may be failing sends.

#include <optional>
#include <vector>

#include "platform/dispatch/Time.h"

namespace vantrel::simulation {

// One monitor's `sendingEnabled`, followed from outside. A setup-change notification closes the
// gate when it is handled (at the start of the next advance); a heartbeat tick (every 10 ms from
// 0.5 s after creation) or the re-search 1 s after the notification opens it again when a readable
// KVRT destination exists. Destinations change only between advances, so one answer holds for a
// whole advance.
class SendingModel {
public:
    explicit SendingModel(platform::TimePoint created);

    // A setup-change notification was queued for the instance's MIDI client.
    void setupChangeQueued() { pendingDisable_ = true; }
    // Virtual time runs from `from` to `to`; `receiverFindable`: a search finds a destination.
    void advance(platform::TimePoint from, platform::TimePoint to, bool receiverFindable);
    bool enabled() const { return enabled_; }

private:
    bool tickIn(platform::TimePoint from, platform::TimePoint to) const; // a tick in (from, to]

    platform::TimePoint firstTick_;
    bool enabled_ = true;
    bool pendingDisable_ = false;
    std::vector<platform::TimePoint> researches_;
};

// The spans of time in which armed send faults may have made sends fail. A span opens when a
// fault is armed and closes with the first send that arrives after it (faults are used up by the
// very next sends) or when every armed fault is dropped.
class FaultWindows {
public:
    void armFailures(bool armed, platform::TimePoint now);
    void armThrows(bool armed, platform::TimePoint now);
    void delivered(platform::TimePoint now);
    bool open() const { return failures_ || throws_; }
    // Whether a fault may have been pending at any time in [from, to].
    bool overlap(platform::TimePoint from, platform::TimePoint to) const;

private:
    void update(platform::TimePoint now);

    bool failures_ = false;
    bool throws_ = false;
    std::optional<platform::TimePoint> openSince_;
    std::vector<std::pair<platform::TimePoint, platform::TimePoint>> closed_;
};

} // namespace vantrel::simulation
