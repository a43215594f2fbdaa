#pragma once
// The MIDI API as the plug-ins and the receiver substitute call it, shaped like CoreMIDI: every
// function acts on the MIDI service of the platform in force (Platform::current().midi).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/core/Status.h"

namespace platform {

using MIDIObjectRef = std::uint32_t; // 0 = none
using MIDIClientRef = MIDIObjectRef;
using MIDIPortRef = MIDIObjectRef;
using MIDIEndpointRef = MIDIObjectRef;
using MIDITimeStamp = std::uint64_t;
using ItemCount = std::size_t;
using MIDIPropertyID = std::string_view;

inline constexpr MIDIPropertyID kMIDIPropertyUniqueID = "uniqueID";

inline constexpr OSStatus paramErr = -50; // a null or malformed argument
inline constexpr OSStatus kMIDIInvalidClient = -10830;
inline constexpr OSStatus kMIDIInvalidPort = -10831;
inline constexpr OSStatus kMIDIWrongEndpointType = -10832;
inline constexpr OSStatus kMIDIUnknownEndpoint = -10834;
inline constexpr OSStatus kMIDIUnknownProperty = -10835;
inline constexpr OSStatus kMIDIServerStartErr = -10839;
inline constexpr OSStatus kMIDIMessageSendErr = -10838;
inline constexpr OSStatus kMIDIObjectNotFound = -10842;
inline constexpr OSStatus kMIDIUnknownError = -10845;

// Packets lie one after another in a list: the next one begins at the first 8-byte boundary
// after data[length] (MIDIPacketNext). `data` may run past 256 bytes inside a larger buffer.
// Unlike the original these records are not packed, so that reading `timeStamp` is never a
// misaligned access; a buffer that holds a list needs alignas(MIDIPacketList).
struct MIDIPacket {
    MIDITimeStamp timeStamp;
    std::uint16_t length;
    std::uint8_t data[256];
};
struct MIDIPacketList {
    std::uint32_t numPackets;
    MIDIPacket packet[1];
};

inline constexpr std::int32_t kMIDIMsgSetupChanged = 1;
inline constexpr std::int32_t kMIDIMsgObjectAdded = 2;
inline constexpr std::int32_t kMIDIMsgObjectRemoved = 3;
inline constexpr std::int32_t kMIDIMsgPropertyChanged = 4;

inline constexpr std::int32_t kMIDIObjectType_Destination = 3;

struct MIDINotification {
    std::int32_t messageID;
    std::uint32_t messageSize;
};

// What kMIDIMsgObjectAdded / kMIDIMsgObjectRemoved carry; a handler may static_cast to it.
struct MIDIObjectAddRemoveNotification : MIDINotification {
    MIDIObjectRef parent;
    std::int32_t parentType;
    MIDIObjectRef child;
    std::int32_t childType;
};

using MIDINotifyBlock = std::function<void(const MIDINotification&)>;
using MIDIReadBlock = std::function<void(const MIDIPacketList*, void* srcConnRefCon)>;

// The notify block runs on the service's notification queue [midi-notify], never inside the call
// that caused the notification. [any]
OSStatus MIDIClientCreateWithBlock(const std::string& name, MIDIClientRef* outClient,
                                   MIDINotifyBlock notifyBlock);
// Disposes of the client with its ports and destinations. [any]
OSStatus MIDIClientDispose(MIDIClientRef client);
OSStatus MIDIOutputPortCreate(MIDIClientRef client, const std::string& name, MIDIPortRef* outPort); // [any]
OSStatus MIDIPortDispose(MIDIPortRef port);                                                         // [any]

// A virtual destination of `client`, last in enumeration order; every client is told. The read
// block runs synchronously inside each MIDISend to it, on the sender's thread. [any]
OSStatus MIDIDestinationCreateWithBlock(MIDIClientRef client, const std::string& name,
                                        MIDIEndpointRef* outDestination, MIDIReadBlock readBlock);
OSStatus MIDIEndpointDispose(MIDIEndpointRef endpoint); // [any]

ItemCount MIDIGetNumberOfDestinations();             // [any]
MIDIEndpointRef MIDIGetDestination(ItemCount index); // [any] 0 when out of range.

// Only destinations carry properties, and only kMIDIPropertyUniqueID. [any]
OSStatus MIDIObjectGetIntegerProperty(MIDIObjectRef object, MIDIPropertyID property, std::int32_t* outValue);
OSStatus MIDIObjectSetIntegerProperty(MIDIObjectRef object, MIDIPropertyID property, std::int32_t value);

// Empties the list and returns where its first packet goes. [any, render] Never allocates.
MIDIPacket* MIDIPacketListInit(MIDIPacketList* list);
// Appends one packet of `nData` bytes after `current` (always a new packet; same-time data is
// not merged) and returns it; null when it does not fit in `listSize` bytes or is longer than
// 65535 bytes. [any, render] Never allocates.
MIDIPacket* MIDIPacketListAdd(MIDIPacketList* list, std::size_t listSize, MIDIPacket* current,
                              MIDITimeStamp time, std::size_t nData, const std::uint8_t* data);
// The packet that follows `packet` in its list. [any, render]
const MIDIPacket* MIDIPacketNext(const MIDIPacket* packet);
MIDIPacket* MIDIPacketNext(MIDIPacket* packet);

// Delivers the list to the destination's read block before returning (over JACK: queues it for
// the next JACK cycle). [any, render] Does not allocate unless a fault or a send observer is set
// (the meter's render-thread send relies on it).
OSStatus MIDISend(MIDIPortRef port, MIDIEndpointRef destination, const MIDIPacketList* packets);

} // namespace platform
