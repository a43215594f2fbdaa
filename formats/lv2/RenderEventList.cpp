#include "formats/lv2/RenderEventList.h"

#include <algorithm>

#include <lv2/atom/util.h>

#include "formats/lv2/ChannelMessage.h"

namespace vantrel::lv2 {

// What every record shares is written once, not per event.
RenderEventList::RenderEventList() noexcept {
    for (platform::AURenderEvent& event : events_) {
        event.MIDI.eventType = platform::AURenderEventMIDI;
        event.MIDI.cable = 0;
    }
}

// The loop keeps its state in locals: the byte stores could alias the members, which would
// then be read again for every event.
void RenderEventList::read(const LV2_Atom_Sequence* sequence, LV2_URID midiEvent,
                           platform::AUEventSampleTime startSampleTime) noexcept {
    count_ = 0;
    next_ = 0;
    if (sequence == nullptr) return;
    std::size_t count = 0;
    std::uint32_t earliest = 0;
    platform::AURenderEvent* previous = nullptr;
    // The sequence's end once, where LV2_ATOM_SEQUENCE_FOREACH would read its size per event.
    const LV2_Atom_Sequence_Body* body = &sequence->body;
    const std::uint32_t size = sequence->atom.size;
    for (const LV2_Atom_Event* event = lv2_atom_sequence_begin(body);
         !lv2_atom_sequence_is_end(body, size, event) && count < capacity; event = lv2_atom_sequence_next(event)) {
        const std::uint32_t length = event->body.size;
        if (event->body.type != midiEvent || length == 0 || length > 3 || event->time.frames < 0) continue;
        // Slices take the events in frame order: one a host sent out of order is played with the
        // event before it rather than lost.
        const auto frame = std::max(static_cast<std::uint32_t>(event->time.frames), earliest);
        earliest = frame;
        const ChannelMessage message =
            readChannelMessage(static_cast<const std::uint8_t*>(LV2_ATOM_BODY_CONST(&event->body)), length);
        platform::AURenderEvent& current = events_[count];
        if (previous != nullptr) previous->head.next = &current;
        platform::AUMIDIEvent& midi = current.MIDI;
        midi.eventSampleTime = startSampleTime + frame;
        midi.length = static_cast<std::uint16_t>(length);
        midi.data[0] = message[0];
        midi.data[1] = message[1];
        midi.data[2] = message[2];
        frames_[count] = frame;
        previous = &current;
        ++count;
    }
    if (previous != nullptr) previous->head.next = nullptr;
    count_ = count;
}

// The events come linked from read(): a slice that reaches past the last event takes the rest of
// the list as it is, and any other slice is cut off after its last event.
const platform::AURenderEvent* RenderEventList::slice(std::uint32_t from, std::uint32_t to) noexcept {
    while (next_ < count_ && frames_[next_] < from) ++next_;
    const std::size_t first = next_;
    if (first == count_ || frames_[first] >= to) return nullptr;
    if (frames_[count_ - 1] < to) {
        next_ = count_;
        return &events_[first];
    }
    while (frames_[next_] < to) ++next_;
    events_[next_ - 1].head.next = nullptr;
    return &events_[first];
}

} // namespace vantrel::lv2
