#pragma once
// Puts one receiver message on the wire the way every sender of both plug-ins does: one zeroed
// 1024-byte packet list, time stamp 0 (deliver now), one send. One send carries one message.

#include <cstdint>
#include <optional>
#include <span>

#include "platform/core/Status.h"
#include "platform/midi/MIDIServices.h"
#include "protocol/ReceiverMessages.h"

namespace protocol {

// The call that sends the list: MIDISend itself (the meter) or a wrapper around it (the
// monitor's SafeMIDISend).
using MIDISendFunction = platform::OSStatus (*)(platform::MIDIPortRef, platform::MIDIEndpointRef,
                                                const platform::MIDIPacketList*);

// Sends `message` as one packet. Returns what `send` returned, or none when nothing was sent:
// the port or the destination is 0 (no destination known), or the message does not fit the
// list. [any, render] Never allocates; its only platform calls are the packet-list calls and
// `send`.
std::optional<platform::OSStatus> sendMessage(platform::MIDIPortRef port,
                                              platform::MIDIEndpointRef destination,
                                              std::span<const std::uint8_t> message, MIDISendFunction send);

// Sends an EventReport: its InstanceTag, then its event bytes, added to the same list (as one
// packet or two, as the list packs them), then one send. Results as sendMessage. [any, render]
// Never allocates.
std::optional<platform::OSStatus> sendEventReport(platform::MIDIPortRef port,
                                                  platform::MIDIEndpointRef destination,
                                                  const EventReport& report, MIDISendFunction send);

} // namespace protocol
