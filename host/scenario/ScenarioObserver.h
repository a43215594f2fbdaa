#pragma once
// Sees a scenario run from inside as it happens, beside its trace: every command, the audio
// units the host made, what they log, send and pass to the host's MIDI output, and each render
// call. The randomized simulation checks the plug-ins through it. Every call comes on the
// thread where the thing happens.

#include <cstdint>
#include <memory>
#include <span>

#include "host/script/Script.h"
#include "platform/audiounit/AUAudioUnit.h"
#include "platform/log/LogSink.h"
#include "platform/midi/MIDIService.h"

namespace vantrel::host {

class ScenarioObserver {
public:
    virtual ~ScenarioObserver() = default;

    // Around each command of the script. [host]
    virtual void beforeCommand(const ScriptLine& line) = 0;
    virtual void afterCommand(const ScriptLine& line) = 0;
    // The host made the instance's audio unit. [host]
    virtual void created(const InstanceRef& instance, const std::shared_ptr<platform::AUAudioUnit>& unit) = 0;

    virtual void log(const platform::LogRecord& record) = 0;     // [any]
    virtual void send(const platform::MIDISendRecord& send) = 0; // [any, render]
    // An event the instance passed to the host's MIDI output. [render]
    virtual void output(const InstanceRef& instance, platform::AUEventSampleTime sampleTime,
                        std::uint8_t cable, std::span<const std::uint8_t> bytes) = 0;

    // Around one render call of the instance: the buffers it rendered into and what it returned.
    // [host]
    virtual void rendering(const InstanceRef& instance) = 0;
    virtual void rendered(const InstanceRef& instance, const platform::AudioBufferList& buffers,
                          platform::OSStatus status) = 0;
};

} // namespace vantrel::host
