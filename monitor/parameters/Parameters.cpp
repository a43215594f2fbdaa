#include "monitor/parameters/Parameters.h"

namespace vantrel::monitor {

const ParameterTreeSpec& VantrelExtensionParameterSpecs() {
    static const ParameterTreeSpec specs{{
        ParameterGroupSpec{
            .identifier = "global",
            .name = "Global",
            .children =
                {
                    ParameterSpec{
                        .identifier = "sendNote",
                        .name = "Send Note",
                        .address = VantrelExtensionParameterAddress::sendNote,
                        .minValue = 0.0f,
                        .maxValue = 1.0f,
                        .defaultValue = 0.0f,
                        .units = platform::kAudioUnitParameterUnit_Boolean,
                        .unitName = std::nullopt,
                        .flags = platform::kAudioUnitParameterFlag_IsWritable |
                                 platform::kAudioUnitParameterFlag_IsReadable,
                        .valueStrings = std::nullopt,
                        .dependentParameters = std::nullopt,
                    },
                    ParameterSpec{
                        .identifier = "midiNoteNumber",
                        .name = "MIDI Note Number",
                        .address = VantrelExtensionParameterAddress::midiNoteNumber,
                        .minValue = 0.0f,
                        .maxValue = 127.0f,
                        .defaultValue = 60.0f,
                        .units = platform::kAudioUnitParameterUnit_MIDINoteNumber,
                        .unitName = std::nullopt,
                        // Writable only: unlike "sendNote", the host cannot read it back.
                        .flags = platform::kAudioUnitParameterFlag_IsWritable,
                        .valueStrings = std::nullopt,
                        .dependentParameters = std::nullopt,
                    },
                },
        },
    }};
    return specs;
}

} // namespace vantrel::monitor
