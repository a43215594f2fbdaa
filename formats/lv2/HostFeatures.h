#pragma once
// What an LV2 host offers an instance: the URID map (MIDI and state need it), its log and its
// block-size options. Read once at instantiation.

#include <cstdint>
#include <optional>
#include <string_view>

#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/urid/urid.h>

namespace vantrel::lv2 {

// The URIDs the adapter reads and writes, mapped once.
struct Urids { // all 0 without a URID map
    LV2_URID atomSequence = 0;
    LV2_URID atomString = 0;
    LV2_URID midiEvent = 0;
    LV2_URID fullState = 0; // the plug-in's one state property
};

class HostFeatures {
public:
    // `features` is the host's null-terminated array (itself may be null). [host]
    explicit HostFeatures(const LV2_Feature* const* features);

    bool canMap() const { return map_ != nullptr; }
    // Maps the adapter's URIDs; the state property is `pluginUri` + "#fullState". Only when canMap(). [host]
    Urids mapUrids(const char* pluginUri) const;
    // The largest block the host will run; none when the host does not say. [host]
    std::optional<std::uint32_t> maxBlockLength() const { return maxBlockLength_; }

    // A line to the host's log, or to standard error when the host has none. [host, never render]
    void logError(std::string_view text) const;

private:
    LV2_URID map(const char* uri) const { return map_->map(map_->handle, uri); }

    const LV2_URID_Map* map_ = nullptr;
    const LV2_Log_Log* log_ = nullptr;
    std::optional<std::uint32_t> maxBlockLength_;
};

} // namespace vantrel::lv2
