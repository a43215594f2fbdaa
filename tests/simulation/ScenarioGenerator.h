#pragma once
// Makes a random scenario from a seed: instances created and released at random times, saved
// states restored early, late and with wrong types, the receiver going up and down, extra
// destinations, setup changes, failing and throwing sends, notifications with random payloads,
// event storms, audio with NaNs, infinities and huge values, and the mapping file written, broken
// and removed. Every scenario ends the same way: faults cleared and the receiver up long enough
// for everything queued to arrive, then every instance released and the machine left to run.

#include <cstdint>
#include <optional>
#include <vector>

#include "Scenario.h"
#include "SimRandom.h"

namespace vantrel::simulation {

class ScenarioGenerator {
public:
    explicit ScenarioGenerator(std::uint64_t seed) : random_(seed) {}

    // `length` random steps between the opening and the ending.
    Scenario generate(std::size_t length);

private:
    void opening(Scenario& scenario);
    void ending(Scenario& scenario);
    void randomStep(Scenario& scenario);
    void create(Scenario& scenario, InstanceKind kind);

    std::optional<Slot> anySlot(InstanceKind kind, double releasedShare = 0.1);
    std::optional<Slot> liveSlot(InstanceKind kind) { return anySlot(kind, 0.0); }
    std::size_t liveCount() const;

    MIDIInStep midiIn(Slot slot);
    SimEvent event();
    AudioStep audio(Slot slot);
    RestoreStep restore(Slot slot);
    platform::Dictionary monitorState();
    platform::Dictionary meterState();
    NotifyStep notification();
    MappingWriteStep mappingWrite();
    AdvanceStep advance();
    // Any JSON value, nested up to `depth`.
    platform::Value anyValue(int depth);

    SimRandom random_;
    std::vector<InstanceKind> slots_; // every create step so far, failed ones included
    std::vector<bool> released_;
    std::size_t destinationsAdded_ = 0;
};

} // namespace vantrel::simulation
