#pragma once
// Runs a scenario's steps against controller-monitor and audio-meter instances on a simulated
// platform seeded with the scenario's seed, plays host and receiver, watches everything that
// leaves the plug-ins (pass-through MIDI, audio, sends, log lines) and checks it step by step.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "HeartbeatCheck.h"
#include "LinkModel.h"
#include "LogFormCheck.h"
#include "MappingModel.h"
#include "MeterCheck.h"
#include "MonitorModel.h"
#include "ReportCheck.h"
#include "Scenario.h"
#include "Violations.h"
#include "host/receiver/ReceiverSubstitute.h"
#include "meter/common/audiounit/TolvaneAudioMeterExtensionAudioUnit.h"
#include "monitor/common/audiounit/VantrelExtensionAudioUnit.h"
#include "platform/sim/SimulatedPlatform.h"

namespace vantrel::simulation {

// What a run exercised, so that a suite can tell that the scenarios reach what they should.
struct Coverage {
    std::size_t reportsQueued = 0;
    std::size_t reportsArrived = 0;
    std::size_t queueOverflows = 0;
    std::size_t timerHeartbeats = 0;
    std::size_t peakMessages = 0;
    std::size_t passedThrough = 0;
    std::size_t logLines = 0;
    std::size_t tracksFromMapping = 0; // meters that took a track from the mapping file
};

class SimulationWorld {
public:
    explicit SimulationWorld(std::uint64_t seed);
    ~SimulationWorld();
    SimulationWorld(const SimulationWorld&) = delete;
    SimulationWorld& operator=(const SimulationWorld&) = delete;

    // Runs one step and checks what followed; what the checks found collects in violations().
    void run(const Step& step);

    const Violations& violations() const { return violations_; }
    const Coverage& coverage() const { return coverage_; }
    platform::TimePoint now() const { return sim_.now(); }

private:
    struct MonitorSlot {
        explicit MonitorSlot(platform::TimePoint created)
            : sending(created), reports(created + platform::milliseconds(500)), heartbeats(created) {}
        std::shared_ptr<monitor::VantrelExtensionAudioUnit> unit; // none once released
        platform::MIDIPortRef port = 0;
        bool hasClient = false;
        platform::AUInternalRenderBlock block;
        std::shared_ptr<std::vector<PassedEvent>> passed = std::make_shared<std::vector<PassedEvent>>();
        bool passesThrough = false; // render resources allocated with the host's MIDI output
        std::optional<platform::Dictionary> saved;
        SendingModel sending;
        ReportCheck reports;
        HeartbeatCheck heartbeats;
        MonitorValuesModel values;
    };
    struct MeterSlot {
        MeterSlot(std::filesystem::path mappingFile, std::uint8_t instanceID)
            : mapping(std::move(mappingFile), instanceID) {}
        std::shared_ptr<meter::TolvaneAudioMeterExtensionAudioUnit> unit; // none once released
        platform::MIDIPortRef port = 0;
        std::uint8_t instanceID = 0;
        platform::AUInternalRenderBlock block;
        std::optional<platform::Dictionary> saved;
        PeakWindow window;
        MappingModel mapping;
    };
    // What the step running now allows to be sent.
    struct StepContext {
        bool inStep = false; // false while virtual time runs
        std::optional<Slot> restoring;
        std::optional<Slot> pressing;
        std::optional<Slot> rendering;
        bool creating = false;
        std::vector<std::vector<std::uint8_t>> meterMessages; // sent by the meter rendering
    };

    // Steps. Each of them runs with the context set for it.
    void create(InstanceKind kind);
    void createMonitor(Slot slot);
    void createMeter(Slot slot);
    void release(Slot slot);
    void restore(const RestoreStep& step);
    void save(Slot slot);
    void allocate(const AllocateStep& step);
    void deallocate(Slot slot);
    void readRenderBlock(Slot slot);
    void midiIn(const MIDIInStep& step);
    void audio(const AudioStep& step);
    void renderAudio(Slot slot, MeterSlot& meter, const AudioStep& step, std::uint64_t sampleSeed);
    void checkTrack(Slot slot, const MeterSlot& meter);
    void receiverUp();
    void receiverDown();
    void addDestination(const DestinationAddStep& step);
    void removeDestination(std::size_t which);
    void setUnreadable(const UnreadableStep& step);
    void notifyMIDI(std::int32_t messageID);
    void notify(const NotifyStep& step);
    void press(const PressStep& step);
    void writeMapping(const MappingWriteStep& step);
    void advance(platform::Duration duration);
    void settle();
    void releaseAll();
    void quiet();

    // Observation.
    void observeSend(const platform::MIDISendRecord& record);
    void observeMonitorSend(Slot slot, MonitorSlot& monitor, const std::vector<std::uint8_t>& bytes);
    void observeLog(const platform::LogRecord& record);
    bool originAlive(const LogOrigin& origin) const;

    void setupChangeQueued();
    bool receiverFindable() const;
    void fail(const std::string& message) { violations_.add(message); }

    platform::SimulatedPlatform sim_; // first in, last out: everything below uses it
    Violations violations_;
    Coverage coverage_;
    StepContext context_;
    FaultWindows faults_;
    std::unique_ptr<host::ReceiverSubstitute> receiver_;
    platform::MIDIClientRef extraClient_ = 0;
    std::vector<platform::MIDIEndpointRef> extraDestinations_; // 0 once removed
    std::vector<InstanceKind> kinds_;                          // by slot
    std::map<Slot, MonitorSlot> monitors_;                     // created successfully
    std::map<Slot, MeterSlot> meters_;
    std::map<platform::MIDIPortRef, Slot> ports_;
    bool allReleased_ = false;
    std::size_t logLinesSinceRelease_ = 0;
    std::size_t sendsSinceRelease_ = 0;
};

} // namespace vantrel::simulation
