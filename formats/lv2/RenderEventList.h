#pragma once
// The host's MIDI events of one run as render events: channel messages of one to three bytes, kept
// in records allocated once. Longer messages (system exclusive) and events past the capacity are
// left out.

#include <array>
#include <cstddef>
#include <cstdint>

#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

#include "platform/audiounit/AURenderEvent.h"

namespace vantrel::lv2 {

class RenderEventList {
public:
    static constexpr std::size_t capacity = 1024;

    RenderEventList() noexcept;

    // Takes the MIDI events of `sequence` (null: none), stamped `startSampleTime` plus their frame.
    // [render] never allocates
    void read(const LV2_Atom_Sequence* sequence, LV2_URID midiEvent,
              platform::AUEventSampleTime startSampleTime) noexcept;
    // The events from frame `from` (inclusive) to `to` (exclusive), linked; null when none. Calls
    // after one read ask for frames in rising order. [render] never allocates
    const platform::AURenderEvent* slice(std::uint32_t from, std::uint32_t to) noexcept;

    std::size_t count() const { return count_; }

private:
    std::array<platform::AURenderEvent, capacity> events_{};
    std::array<std::uint32_t, capacity> frames_{};
    std::size_t count_ = 0;
    std::size_t next_ = 0; // the first event no slice has handed out
};

} // namespace vantrel::lv2
