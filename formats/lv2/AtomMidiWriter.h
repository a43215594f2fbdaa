#pragma once
// Writes the MIDI a render block sends during one run into the host's output sequence, in frame
// order, as far as the host's buffer reaches.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/urid/urid.h>

#include "formats/lv2/ChannelMessage.h"
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
    std::int64_t lastFrame_ = 0;     // of the message written last
    std::int64_t lastFrameOfRun_ = 0;
};

// Here rather than out of line: a MIDI effect's every event comes through it. The sequence's size
// is kept in a local, since the byte stores could alias it.
inline bool AtomMidiWriter::write(platform::AUEventSampleTime sampleTime, const std::uint8_t* bytes,
                                  std::size_t length) noexcept {
    LV2_Atom_Sequence* sequence = sequence_;
    if (sequence == nullptr || length == 0) return false;
    const std::uint32_t used = sequence->atom.size;
    const std::uint32_t eventSize = lv2_atom_pad_size(sizeof(LV2_Atom_Event) + static_cast<std::uint32_t>(length));
    if (capacity_ < used + eventSize) return false;
    const std::int64_t frame = std::clamp<std::int64_t>(sampleTime - start_, lastFrame_, lastFrameOfRun_);
    lastFrame_ = frame;
    LV2_Atom_Event* event = lv2_atom_sequence_end(&sequence->body, used);
    event->time.frames = frame;
    event->body.type = midiEvent_;
    event->body.size = static_cast<std::uint32_t>(length);
    // From the address, as g++ would take the event's header for all there is and warn.
    auto* body = reinterpret_cast<std::uint8_t*>(reinterpret_cast<std::uintptr_t>(event) + sizeof(LV2_Atom_Event));
    if (length <= 3) { // the event is padded to 8 bytes of body, which the capacity check counted
        const ChannelMessage message = readChannelMessage(bytes, length);
        std::memcpy(body, message.data(), message.size());
    } else {
        std::memcpy(body, bytes, length);
    }
    sequence->atom.size = used + eventSize;
    return true;
}

} // namespace vantrel::lv2
