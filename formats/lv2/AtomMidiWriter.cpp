#include "formats/lv2/AtomMidiWriter.h"

#include <algorithm>
#include <cstring>

#include <lv2/atom/util.h>

namespace vantrel::lv2 {

void AtomMidiWriter::begin(LV2_Atom_Sequence* sequence, LV2_URID sequenceType, LV2_URID midiEvent,
                           platform::AUEventSampleTime startSampleTime, std::uint32_t frames) noexcept {
    sequence_ = sequence;
    midiEvent_ = midiEvent;
    start_ = startSampleTime;
    lastFrame_ = 0;
    frames_ = frames;
    if (sequence_ == nullptr) return;
    capacity_ = sequence_->atom.size;
    sequence_->atom.type = sequenceType;
    sequence_->body.unit = 0;
    sequence_->body.pad = 0;
    lv2_atom_sequence_clear(sequence_);
}

bool AtomMidiWriter::write(platform::AUEventSampleTime sampleTime, const std::uint8_t* bytes,
                           std::size_t length) noexcept {
    if (sequence_ == nullptr || length == 0) return false;
    const std::uint32_t eventSize = sizeof(LV2_Atom_Event) + static_cast<std::uint32_t>(length);
    if (capacity_ < sequence_->atom.size + lv2_atom_pad_size(eventSize)) return false;
    LV2_Atom_Event* event = lv2_atom_sequence_end(&sequence_->body, sequence_->atom.size);
    lastFrame_ = std::clamp<std::int64_t>(sampleTime - start_, lastFrame_, std::max<std::int64_t>(frames_ - 1, 0));
    event->time.frames = lastFrame_;
    event->body.type = midiEvent_;
    event->body.size = static_cast<std::uint32_t>(length);
    std::memcpy(LV2_ATOM_BODY(&event->body), bytes, length);
    sequence_->atom.size += lv2_atom_pad_size(eventSize);
    return true;
}

} // namespace vantrel::lv2
