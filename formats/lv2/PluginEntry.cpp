// The entry of one bundle's binary; the build names the plug-in (VANTREL_LV2_URI) and its ports
// (VANTREL_LV2_MIDI, VANTREL_LV2_AUDIO_CHANNELS) from the plug-in's bundle description.

#include "formats/lv2/Descriptor.h"

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index) {
    static const vantrel::lv2::AdapterDescriptor descriptor = vantrel::lv2::makeDescriptor(
        VANTREL_LV2_URI, {.midi = VANTREL_LV2_MIDI, .audioChannels = VANTREL_LV2_AUDIO_CHANNELS});
    return index == 0 ? &descriptor.lv2 : nullptr;
}
