#pragma once
// Watches a scenario script run by the host on the simulated platform, with the plug-ins linked
// in, and checks after every command what the plug-ins did: pass-through MIDI, audio, the
// messages they sent, their log lines, the tracks their meters took up, and that nothing of a
// released instance runs.

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
#include "ReportCheck.h"
#include "host/scenario/ScenarioObserver.h"
#include "meter/common/audiounit/TolvaneAudioMeterExtensionAudioUnit.h"
#include "monitor/common/audiounit/VantrelExtensionAudioUnit.h"

namespace vantrel::simulation {

// What a run exercised, so that a suite can tell that the scenarios reach what they should.
struct Coverage {
    std::size_t reportsArrived = 0;
    std::size_t queueOverflows = 0;
    std::size_t timerHeartbeats = 0;
    std::size_t peakMessages = 0;
    std::size_t passedThrough = 0;
    std::size_t tracksFromMapping = 0; // meters that took a track from the mapping file

    Coverage& operator+=(const Coverage& other);
};

// One event as the host's MIDI output received it.
struct PassedEvent {
    std::int64_t sampleTime = 0;
    std::uint8_t cable = 0;
    std::vector<std::uint8_t> bytes;
    friend bool operator==(const PassedEvent&, const PassedEvent&) = default;
};

class SimulationObserver final : public host::ScenarioObserver {
public:
    // `settleLine`: from the command after it on, everything queued must have arrived;
    // `quietLine`: from there on every instance is released and nothing may happen.
    SimulationObserver(int settleLine, int quietLine) : settleLine_(settleLine), quietLine_(quietLine) {}

    // The run is over: the last checks.
    void finish();

    // What the checks found up to the end of the first command that failed them (later failures
    // mostly follow from it), and that command's script line.
    const std::vector<std::string>& violations() const { return firstViolations_; }
    int failedLine() const { return failedLine_; }
    const Coverage& coverage() const { return coverage_; }

    void beforeCommand(const host::ScriptLine& line) override;
    void afterCommand(const host::ScriptLine& line) override;
    void created(const host::InstanceRef& instance,
                 const std::shared_ptr<platform::AUAudioUnit>& unit) override;
    void log(const platform::LogRecord& record) override;
    void send(const platform::MIDISendRecord& send) override;
    void output(const host::InstanceRef& instance, platform::AUEventSampleTime sampleTime, std::uint8_t cable,
                std::span<const std::uint8_t> bytes) override;
    void rendering(const host::InstanceRef& instance) override;
    void rendered(const host::InstanceRef& instance, const platform::AudioBufferList& buffers,
                  platform::OSStatus status) override;

private:
    struct Monitor {
        explicit Monitor(platform::TimePoint created)
            : sending(created), reports(created + platform::milliseconds(500)), heartbeats(created) {}
        std::weak_ptr<monitor::VantrelExtensionAudioUnit> weak;
        bool alive = true; // until the host releases it
        platform::MIDIPortRef port = 0;
        bool hasClient = false;
        bool passesThrough = false; // render resources allocated with the host's MIDI output
        std::vector<PassedEvent> passed;
        SendingModel sending;
        ReportCheck reports;
        HeartbeatCheck heartbeats;
        // Taken just before a render call.
        bool connected = false;
        protocol::InstanceTag tag{};
        std::shared_ptr<monitor::VantrelExtensionAudioUnit> unit() const {
            return alive ? weak.lock() : nullptr;
        }
    };
    struct Meter {
        Meter(std::filesystem::path mappingFile, std::uint8_t instanceID)
            : instanceID(instanceID), mapping(std::move(mappingFile), instanceID) {}
        std::weak_ptr<meter::TolvaneAudioMeterExtensionAudioUnit> weak;
        bool alive = true;
        platform::MIDIPortRef port = 0;
        std::uint8_t instanceID = 0;
        double sampleRate = 44100;
        PeakWindow window;
        MappingModel mapping;
        // Taken just before a render call.
        std::uint8_t trackNr = 0;
        bool linked = false;
        std::shared_ptr<meter::TolvaneAudioMeterExtensionAudioUnit> unit() const {
            return alive ? weak.lock() : nullptr;
        }
    };
    // What the command running now allows to be sent.
    struct Context {
        const host::Command* command = nullptr;
        bool inStep = true; // false while virtual time runs
        std::optional<std::size_t> restoring;
        std::optional<std::size_t> pressing;
        std::optional<std::size_t> rendering;
        bool creating = false;
        platform::MIDIObjectRef newestBefore = 0;
        std::uint32_t uidBefore = 0;
        std::uint32_t audioCall = 0;
        std::vector<std::vector<std::uint8_t>> meterMessages; // sent by the meter rendering
    };

    void fail(const std::string& message) { violations_.push_back(message); }
    void setupChangeQueued();
    void advancing(platform::Duration duration);
    void release(std::size_t index);
    void checkReleased();
    void restored(std::size_t index);
    void allocated(std::size_t index, const host::AllocateCommand& command);
    void settle();
    void renderedMIDI(std::size_t index, Monitor& monitor, platform::OSStatus status);
    void renderedAudio(std::size_t index, Meter& meter, const platform::AudioBufferList& buffers,
                       platform::OSStatus status);
    void checkTrack(std::size_t index, const Meter& meter);
    void observeMonitorSend(std::size_t index, Monitor& monitor, const std::vector<std::uint8_t>& bytes);
    bool originAlive(const LogOrigin& origin) const;

    int settleLine_;
    int quietLine_;
    bool settled_ = false;
    bool quiet_ = false;
    std::vector<std::string> violations_; // everything the checks found
    int failedLine_ = 0;
    std::vector<std::string> firstViolations_;
    Coverage coverage_;
    Context context_;
    FaultWindows faults_;
    bool receiverUp_ = false;
    std::map<std::size_t, Monitor> monitors_; // created successfully, by instance index
    std::map<std::size_t, Meter> meters_;
    std::map<platform::MIDIPortRef, std::size_t> ports_;
    struct Releasing {
        std::size_t index;
        std::weak_ptr<platform::AUAudioUnit> unit;
        platform::MIDIPortRef port;
    };
    std::vector<Releasing> releasing_;   // released by the host since the last advance
    std::size_t happenedSinceQuiet_ = 0; // log lines and sends
};

} // namespace vantrel::simulation
