#pragma once
// What the host sees on the render thread, kept in storage made ready before the render call and
// traced once the call is over, so that the render thread neither allocates nor writes the trace:
// the events passed to the host's MIDI output, and the sends made on the render thread.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/audiounit/AURenderEvent.h"
#include "platform/midi/MIDIService.h"

namespace vantrel::host {

struct RenderRecord {
    enum class Kind : std::uint8_t { midiOutput, midiSend };
    static constexpr std::size_t capacity = 256;

    Kind kind = Kind::midiOutput;
    const std::string* instance = nullptr; // midiOutput: the name of the instance whose output it is
    platform::AUEventSampleTime sampleTime = 0;
    std::uint8_t cable = 0;
    platform::MIDIClientRef client = 0; // midiSend
    platform::MIDIEndpointRef destination = 0;
    std::size_t length = 0; // bytes given; only the first `capacity` are kept
    std::array<std::uint8_t, capacity> bytes{};
};

class RenderRecorder {
public:
    // Room for `records` records, made before a render call. [host]
    void reserve(std::size_t records);
    // [render] Never allocates; a record that finds no room is counted and dropped.
    void recordOutput(const std::string* instance, platform::AUEventSampleTime sampleTime, std::uint8_t cable,
                      std::size_t length, const std::uint8_t* bytes) noexcept;
    void recordSend(const platform::MIDISendRecord& send) noexcept;

    // The records of the last render calls, in order; then empty again. [host]
    const std::vector<RenderRecord>& records() const { return records_; }
    std::size_t dropped() const { return dropped_; }
    void clear();

private:
    RenderRecord* next() noexcept;

    std::vector<RenderRecord> records_;
    std::size_t dropped_ = 0;
};

// Marks the calling thread as rendering for its scope; sends seen meanwhile are render sends.
class RenderScope {
public:
    RenderScope() noexcept { active_ = true; }
    ~RenderScope() { active_ = false; }
    RenderScope(const RenderScope&) = delete;
    RenderScope& operator=(const RenderScope&) = delete;
    static bool active() noexcept { return active_; }

private:
    static thread_local bool active_;
};

} // namespace vantrel::host
