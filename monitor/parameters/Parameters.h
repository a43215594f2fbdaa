#pragma once
// The controller monitor's host-visible parameters, as declared once for every instance.

#include "frame/common/parameters/ParameterSpecBase.h"

namespace vantrel::monitor {

// The addresses by which the instance and the host name the two parameters.
struct VantrelExtensionParameterAddress {
    static constexpr platform::AUParameterAddress sendNote = 0;
    static constexpr platform::AUParameterAddress midiNoteNumber = 1;
};

// The group "global" with "sendNote" and "midiNoteNumber"; made on first use, thread-safely, and
// kept for the rest of the process. [any]
const ParameterTreeSpec& VantrelExtensionParameterSpecs();

} // namespace vantrel::monitor
