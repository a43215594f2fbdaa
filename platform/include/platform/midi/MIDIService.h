#pragma once
// The process's MIDI service behind the MIDIServices.h functions: clients, output ports, virtual
// destinations with their unique IDs, setup notifications, and the faults and observation hooks
// that tests and the scenario runner use. Handles are 32-bit, handed out in increasing order and
// never reused within one service. This is the in-process service; another transport (JACK)
// overrides the operations on ports, destinations and sends and keeps the clients and their
// notifications.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/dispatch/Executor.h"
#include "platform/midi/MIDIServices.h"

namespace platform {

// One send that reached its destination, as a send observer sees it.
struct MIDISendRecord {
    MIDIPortRef port;
    MIDIClientRef client; // the port's client
    MIDIEndpointRef destination;
    const MIDIPacketList* packets;

    // Every byte of every packet, in order. Allocates.
    std::vector<std::uint8_t> bytes() const;
};

class MIDIService {
public:
    using SendObserver = std::function<void(const MIDISendRecord&)>;

    // Default status of an injected failure.
    static constexpr OSStatus defaultSendFailure = kMIDIMessageSendErr;
    static constexpr OSStatus defaultClientCreateFailure = kMIDIServerStartErr;
    static constexpr OSStatus defaultPortCreateFailure = kMIDIUnknownError;

    // Notifications go out on a queue of `executor` labelled "midi-notify".
    explicit MIDIService(Executor& executor);
    virtual ~MIDIService();
    MIDIService(const MIDIService&) = delete;
    MIDIService& operator=(const MIDIService&) = delete;

    // The service of the platform in force. [any]
    static MIDIService& current();

    OSStatus createClient(const std::string& name, MIDIClientRef* outClient, MIDINotifyBlock notifyBlock);
    virtual OSStatus disposeClient(MIDIClientRef client);
    virtual OSStatus createOutputPort(MIDIClientRef client, const std::string& name, MIDIPortRef* outPort);
    virtual OSStatus disposePort(MIDIPortRef port);
    virtual OSStatus createDestination(MIDIClientRef client, const std::string& name, MIDIEndpointRef* outDestination,
                               MIDIReadBlock readBlock);
    virtual OSStatus disposeEndpoint(MIDIEndpointRef endpoint);
    virtual ItemCount numberOfDestinations() const;
    virtual MIDIEndpointRef destination(ItemCount index) const;
    virtual OSStatus integerProperty(MIDIObjectRef object, MIDIPropertyID property, std::int32_t* outValue) const;
    virtual OSStatus setIntegerProperty(MIDIObjectRef object, MIDIPropertyID property, std::int32_t value);
    virtual OSStatus send(MIDIPortRef port, MIDIEndpointRef destination, const MIDIPacketList* packets);

    // Faults. [any] An armed send fault is used up by the next sends whatever their arguments;
    // failures are used before exceptions when both are armed.
    void failNextSends(int count, OSStatus status = defaultSendFailure);
    // The next `count` sends raise PlatformException("MIDISend raised") and deliver nothing.
    void throwNextSends(int count);
    void failNextClientCreate(OSStatus status = defaultClientCreateFailure);
    void failNextPortCreate(OSStatus status = defaultPortCreateFailure);
    // Reading the endpoint's unique ID fails with kMIDIUnknownProperty while set.
    void setUniqueIDUnreadable(MIDIEndpointRef endpoint, bool unreadable);

    // Sends a notification with `messageID` to every client, as a setup change would. [any]
    void postNotification(std::int32_t messageID);

    // Called inside MIDISend for each delivered send, before the read block; null to stop. [any]
    void setSendObserver(SendObserver observer);

    // Observation for traces. [any]
    std::optional<std::string> objectName(MIDIObjectRef object) const;
    MIDIClientRef clientOfPort(MIDIPortRef port) const; // 0 when not a live port
    MIDIObjectRef newestObject() const;                 // the last handle handed out; 0 when none

protected:
    // For another transport's own objects. [any]
    MIDIObjectRef allocateHandle();
    bool isClient(MIDIClientRef client) const;

private:
    struct Client {
        std::string name;
        MIDINotifyBlock notify;
    };
    struct Port {
        std::string name;
        MIDIClientRef client;
    };
    struct Destination {
        std::string name;
        MIDIClientRef client;
        MIDIReadBlock read;
        std::int32_t uniqueID;
        bool uniqueIDUnreadable = false;
    };
    MIDIObjectRef nextHandle();
    void retireDestination(MIDIEndpointRef endpoint);
    void notifyAll(const MIDIObjectAddRemoveNotification& notification);
    void announce(std::int32_t messageID, MIDIEndpointRef endpoint);

    Executor& executor_;
    std::shared_ptr<SerialQueue> notifyQueue_;

    mutable std::mutex mutex_;
    MIDIObjectRef lastHandle_ = 0;
    std::map<MIDIClientRef, std::shared_ptr<Client>> clients_; // in creation order
    std::unordered_map<MIDIPortRef, Port> ports_;
    std::unordered_map<MIDIEndpointRef, std::shared_ptr<Destination>> destinations_;
    std::vector<MIDIEndpointRef> destinationOrder_;
    // Disposed destinations that a send on another thread may still be using; released here,
    // never by the sender, so that a render-thread send never frees.
    std::vector<std::shared_ptr<Destination>> retired_;
    std::shared_ptr<const SendObserver> sendObserver_;
    int sendFailures_ = 0;
    OSStatus sendFailureStatus_ = defaultSendFailure;
    int sendThrows_ = 0;
    std::optional<OSStatus> clientCreateFailure_;
    std::optional<OSStatus> portCreateFailure_;
};

} // namespace platform
