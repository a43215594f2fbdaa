#pragma once
// Writes the MIDI a render block sends during one run into the host's output sequence, in frame
// order, as far as the host's buffer reaches.

#include <cstddef>
#include <cstdint>

#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

#include "platform/audiounit/AURenderEvent.h"

namespace vantrel::lv2 {

class AtomMidiWriter {
public:
    // Starts an empty sequence in `sequence` (null: the host takes no MIDI), whose atom size holds
    // the buffer's capacity as the host hands it over. The run covers `frames` frames from
    // `startSampleTime`. [render] never allocates
    void begin(LV2_Atom_Sequence* sequence, LV2_URID sequenceType, LV2_URID midiEvent,
               platform::AUEventSampleTime startSampleTime, std::uint32_t frames) noexcept;
    // Appends one message at its sample time, moved into the run and after the last message
    // written. False when there is no room or no output. [render] never allocates
    bool write(platform::AUEventSampleTime sampleTime, const std::uint8_t* bytes, std::size_t length) noexcept;

private:
    LV2_Atom_Sequence* sequence_ = nullptr;
    std::uint32_t capacity_ = 0; // bytes of the sequence's body
    LV2_URID midiEvent_ = 0;
    platform::AUEventSampleTime start_ = 0;
    std::int64_t lastFrame_ = 0;
    std::int64_t frames_ = 0;
};

} // namespace vantrel::lv2
