#include "formats/lv2/AtomMidiWriter.h"

#include <lv2/atom/util.h>

namespace vantrel::lv2 {

void AtomMidiWriter::begin(LV2_Atom_Sequence* sequence, LV2_URID sequenceType, LV2_URID midiEvent,
                           platform::AUEventSampleTime startSampleTime, std::uint32_t frames) noexcept {
    sequence_ = sequence;
    midiEvent_ = midiEvent;
    start_ = startSampleTime;
    lastFrame_ = 0;
    lastFrameOfRun_ = frames > 0 ? frames - 1 : 0;
    if (sequence_ == nullptr) return;
    capacity_ = sequence_->atom.size;
    sequence_->atom.type = sequenceType;
    sequence_->body.unit = 0;
    sequence_->body.pad = 0;
    lv2_atom_sequence_clear(sequence_);
}

} // namespace vantrel::lv2
