#include "platform/midi/MIDIServices.h"

#include "platform/midi/MIDIService.h"

namespace platform {

OSStatus MIDIClientCreateWithBlock(const std::string& name, MIDIClientRef* outClient,
                                   MIDINotifyBlock notifyBlock) {
    return MIDIService::current().createClient(name, outClient, std::move(notifyBlock));
}

OSStatus MIDIClientDispose(MIDIClientRef client) {
    return MIDIService::current().disposeClient(client);
}

OSStatus MIDIOutputPortCreate(MIDIClientRef client, const std::string& name, MIDIPortRef* outPort) {
    return MIDIService::current().createOutputPort(client, name, outPort);
}

OSStatus MIDIPortDispose(MIDIPortRef port) {
    return MIDIService::current().disposePort(port);
}

OSStatus MIDIDestinationCreateWithBlock(MIDIClientRef client, const std::string& name,
                                        MIDIEndpointRef* outDestination, MIDIReadBlock readBlock) {
    return MIDIService::current().createDestination(client, name, outDestination, std::move(readBlock));
}

OSStatus MIDIEndpointDispose(MIDIEndpointRef endpoint) {
    return MIDIService::current().disposeEndpoint(endpoint);
}

ItemCount MIDIGetNumberOfDestinations() {
    return MIDIService::current().numberOfDestinations();
}

MIDIEndpointRef MIDIGetDestination(ItemCount index) {
    return MIDIService::current().destination(index);
}

OSStatus MIDIObjectGetIntegerProperty(MIDIObjectRef object, MIDIPropertyID property, std::int32_t* outValue) {
    return MIDIService::current().integerProperty(object, property, outValue);
}

OSStatus MIDIObjectSetIntegerProperty(MIDIObjectRef object, MIDIPropertyID property, std::int32_t value) {
    return MIDIService::current().setIntegerProperty(object, property, value);
}

OSStatus MIDISend(MIDIPortRef port, MIDIEndpointRef destination, const MIDIPacketList* packets) {
    return MIDIService::current().send(port, destination, packets);
}

} // namespace platform
