#pragma once
// The controller monitor's only way to call MIDISend: a platform exception raised inside the send
// becomes the result -1, so that no timer or main-queue caller is ever unwound by it.

#include "platform/core/Status.h"
#include "platform/midi/MIDIServices.h"

namespace vantrel::monitor {

// MIDISend's result, or -1 after logging a PlatformException the send raised. Any other exception
// passes through. [any but render] Logs on failure.
platform::OSStatus SafeMIDISend(platform::MIDIPortRef port, platform::MIDIEndpointRef destination,
                                const platform::MIDIPacketList* packetList);

} // namespace vantrel::monitor
