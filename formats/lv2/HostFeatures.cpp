#include "formats/lv2/HostFeatures.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>

namespace vantrel::lv2 {

namespace {

const void* featureData(const LV2_Feature* const* features, const char* uri) {
    for (auto feature = features; feature != nullptr && *feature != nullptr; ++feature) {
        if (std::strcmp((*feature)->URI, uri) == 0) return (*feature)->data;
    }
    return nullptr;
}

} // namespace

HostFeatures::HostFeatures(const LV2_Feature* const* features)
    : map_(static_cast<const LV2_URID_Map*>(featureData(features, LV2_URID__map))),
      log_(static_cast<const LV2_Log_Log*>(featureData(features, LV2_LOG__log))) {
    const auto* options = static_cast<const LV2_Options_Option*>(featureData(features, LV2_OPTIONS__options));
    if (options == nullptr || map_ == nullptr) return;
    const LV2_URID maxBlock = map(LV2_BUF_SIZE__maxBlockLength);
    const LV2_URID atomInt = map(LV2_ATOM__Int);
    for (auto option = options; option->key != 0; ++option) {
        if (option->key == maxBlock && option->type == atomInt && option->size == sizeof(std::int32_t)) {
            const auto frames = *static_cast<const std::int32_t*>(option->value);
            if (frames > 0) maxBlockLength_ = static_cast<std::uint32_t>(frames);
        }
    }
}

Urids HostFeatures::mapUrids(const char* pluginUri) const {
    return {.atomSequence = map(LV2_ATOM__Sequence),
            .atomString = map(LV2_ATOM__String),
            .midiEvent = map(LV2_MIDI__MidiEvent),
            .fullState = map((std::string(pluginUri) + "#fullState").c_str())};
}

void HostFeatures::logError(std::string_view text) const {
    const std::string line(text);
    if (log_ != nullptr && map_ != nullptr) {
        log_->printf(log_->handle, map(LV2_LOG__Error), "%s\n", line.c_str());
    } else {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

} // namespace vantrel::lv2
