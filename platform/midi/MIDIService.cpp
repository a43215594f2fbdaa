#include "platform/midi/MIDIService.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/Platform.h"

namespace platform {

std::vector<std::uint8_t> MIDISendRecord::bytes() const {
    std::vector<std::uint8_t> all;
    const MIDIPacket* packet = packets->packet;
    for (std::uint32_t i = 0; i < packets->numPackets; ++i, packet = MIDIPacketNext(packet)) {
        all.insert(all.end(), packet->data, packet->data + packet->length);
    }
    return all;
}

MIDIService::MIDIService(Executor& executor)
    : executor_(executor), notifyQueue_(executor.makeQueue("midi-notify")) {}

MIDIService::~MIDIService() = default;

MIDIService& MIDIService::current() {
    return *Platform::current().midi;
}

MIDIObjectRef MIDIService::nextHandle() {
    if (lastHandle_ == std::numeric_limits<MIDIObjectRef>::max()) return 0;
    return ++lastHandle_;
}

MIDIObjectRef MIDIService::allocateHandle() {
    std::lock_guard guard(mutex_);
    return nextHandle();
}

bool MIDIService::isClient(MIDIClientRef client) const {
    std::lock_guard guard(mutex_);
    return clients_.contains(client);
}

OSStatus MIDIService::createClient(const std::string& name, MIDIClientRef* outClient,
                                   MIDINotifyBlock notifyBlock) {
    if (outClient == nullptr) return paramErr;
    *outClient = 0;
    std::lock_guard guard(mutex_);
    if (clientCreateFailure_) return *std::exchange(clientCreateFailure_, std::nullopt);
    const MIDIClientRef client = nextHandle();
    if (client == 0) return kMIDIUnknownError;
    clients_.emplace(client, std::make_shared<Client>(Client{name, std::move(notifyBlock)}));
    *outClient = client;
    return noErr;
}

OSStatus MIDIService::disposeClient(MIDIClientRef client) {
    std::vector<MIDIEndpointRef> removed;
    {
        std::lock_guard guard(mutex_);
        if (clients_.erase(client) == 0) return kMIDIInvalidClient;
        std::erase_if(ports_, [client](const auto& entry) { return entry.second.client == client; });
        for (MIDIEndpointRef endpoint : destinationOrder_) {
            if (destinations_.at(endpoint)->client == client) removed.push_back(endpoint);
        }
        for (MIDIEndpointRef endpoint : removed)
            retireDestination(endpoint);
    }
    for (MIDIEndpointRef endpoint : removed)
        announce(kMIDIMsgObjectRemoved, endpoint);
    return noErr;
}

OSStatus MIDIService::createOutputPort(MIDIClientRef client, const std::string& name, MIDIPortRef* outPort) {
    if (outPort == nullptr) return paramErr;
    *outPort = 0;
    std::lock_guard guard(mutex_);
    if (portCreateFailure_) return *std::exchange(portCreateFailure_, std::nullopt);
    if (!clients_.contains(client)) return kMIDIInvalidClient;
    const MIDIPortRef port = nextHandle();
    if (port == 0) return kMIDIUnknownError;
    ports_.emplace(port, Port{name, client});
    *outPort = port;
    return noErr;
}

OSStatus MIDIService::disposePort(MIDIPortRef port) {
    std::lock_guard guard(mutex_);
    return ports_.erase(port) == 0 ? kMIDIInvalidPort : noErr;
}

OSStatus MIDIService::createDestination(MIDIClientRef client, const std::string& name,
                                        MIDIEndpointRef* outDestination, MIDIReadBlock readBlock) {
    if (outDestination == nullptr) return paramErr;
    *outDestination = 0;
    MIDIEndpointRef endpoint = 0;
    {
        std::lock_guard guard(mutex_);
        if (!clients_.contains(client)) return kMIDIInvalidClient;
        endpoint = nextHandle();
        if (endpoint == 0) return kMIDIUnknownError;
        // Like the platform's generated IDs, negative, so never KVRT unless set.
        const auto uniqueID = -static_cast<std::int32_t>(endpoint & 0x7fffffff);
        destinations_.emplace(endpoint, std::make_shared<Destination>(
                                            Destination{name, client, std::move(readBlock), uniqueID}));
        destinationOrder_.push_back(endpoint);
    }
    *outDestination = endpoint;
    announce(kMIDIMsgObjectAdded, endpoint);
    return noErr;
}

OSStatus MIDIService::disposeEndpoint(MIDIEndpointRef endpoint) {
    {
        std::lock_guard guard(mutex_);
        if (!destinations_.contains(endpoint)) return kMIDIObjectNotFound;
        retireDestination(endpoint);
    }
    announce(kMIDIMsgObjectRemoved, endpoint);
    return noErr;
}

void MIDIService::retireDestination(MIDIEndpointRef endpoint) {
    std::erase_if(retired_, [](const auto& destination) { return destination.use_count() == 1; });
    const auto found = destinations_.find(endpoint);
    retired_.push_back(std::move(found->second));
    destinations_.erase(found);
    std::erase(destinationOrder_, endpoint);
}

ItemCount MIDIService::numberOfDestinations() const {
    std::lock_guard guard(mutex_);
    return destinationOrder_.size();
}

MIDIEndpointRef MIDIService::destination(ItemCount index) const {
    std::lock_guard guard(mutex_);
    return index < destinationOrder_.size() ? destinationOrder_[index] : 0;
}

OSStatus MIDIService::integerProperty(MIDIObjectRef object, MIDIPropertyID property,
                                      std::int32_t* outValue) const {
    if (outValue == nullptr) return paramErr;
    std::lock_guard guard(mutex_);
    const auto found = destinations_.find(object);
    if (found == destinations_.end()) {
        return clients_.contains(object) || ports_.contains(object) ? kMIDIUnknownProperty
                                                                    : kMIDIObjectNotFound;
    }
    if (property != kMIDIPropertyUniqueID || found->second->uniqueIDUnreadable) return kMIDIUnknownProperty;
    *outValue = found->second->uniqueID;
    return noErr;
}

OSStatus MIDIService::setIntegerProperty(MIDIObjectRef object, MIDIPropertyID property, std::int32_t value) {
    std::lock_guard guard(mutex_);
    const auto found = destinations_.find(object);
    if (found == destinations_.end()) {
        return clients_.contains(object) || ports_.contains(object) ? kMIDIUnknownProperty
                                                                    : kMIDIObjectNotFound;
    }
    if (property != kMIDIPropertyUniqueID) return kMIDIUnknownProperty;
    // Duplicates are allowed: two destinations may claim one ID, and the first in order wins.
    found->second->uniqueID = value;
    return noErr;
}

OSStatus MIDIService::send(MIDIPortRef port, MIDIEndpointRef destination, const MIDIPacketList* packets) {
    if (packets == nullptr) return paramErr;
    std::shared_ptr<Destination> target;
    std::shared_ptr<const SendObserver> observer;
    MIDIClientRef client = 0;
    {
        // Copies of shared pointers only: nothing here allocates or frees.
        std::lock_guard guard(mutex_);
        if (sendFailures_ > 0) {
            --sendFailures_;
            return sendFailureStatus_;
        }
        if (sendThrows_ > 0) {
            --sendThrows_;
            throw PlatformException("MIDISend raised");
        }
        const auto sender = ports_.find(port);
        if (sender == ports_.end()) return kMIDIInvalidPort;
        const auto found = destinations_.find(destination);
        if (found == destinations_.end()) return kMIDIUnknownEndpoint;
        client = sender->second.client;
        target = found->second;
        observer = sendObserver_;
    }
    if (observer) (*observer)(MIDISendRecord{port, client, destination, packets});
    if (target->read) target->read(packets, nullptr);
    return noErr;
}

void MIDIService::failNextSends(int count, OSStatus status) {
    std::lock_guard guard(mutex_);
    sendFailures_ = std::max(count, 0);
    sendFailureStatus_ = status;
}

void MIDIService::throwNextSends(int count) {
    std::lock_guard guard(mutex_);
    sendThrows_ = std::max(count, 0);
}

void MIDIService::failNextClientCreate(OSStatus status) {
    std::lock_guard guard(mutex_);
    clientCreateFailure_ = status;
}

void MIDIService::failNextPortCreate(OSStatus status) {
    std::lock_guard guard(mutex_);
    portCreateFailure_ = status;
}

void MIDIService::setUniqueIDUnreadable(MIDIEndpointRef endpoint, bool unreadable) {
    std::lock_guard guard(mutex_);
    if (const auto found = destinations_.find(endpoint); found != destinations_.end()) {
        found->second->uniqueIDUnreadable = unreadable;
    }
}

void MIDIService::postNotification(std::int32_t messageID) {
    MIDIObjectAddRemoveNotification notification{};
    notification.messageID = messageID;
    notification.messageSize = sizeof(MIDINotification);
    notifyAll(notification);
}

void MIDIService::announce(std::int32_t messageID, MIDIEndpointRef endpoint) {
    MIDIObjectAddRemoveNotification change{};
    change.messageID = messageID;
    change.messageSize = sizeof(MIDIObjectAddRemoveNotification);
    change.child = endpoint;
    change.childType = kMIDIObjectType_Destination;
    notifyAll(change);
    postNotification(kMIDIMsgSetupChanged);
}

void MIDIService::notifyAll(const MIDIObjectAddRemoveNotification& notification) {
    std::vector<std::weak_ptr<Client>> recipients;
    {
        std::lock_guard guard(mutex_);
        for (const auto& entry : clients_)
            recipients.push_back(entry.second);
    }
    // Held weakly, so that a client disposed before its delivery gets nothing.
    for (auto& recipient : recipients) {
        notifyQueue_->enqueue(executor_.now(), [recipient = std::move(recipient), notification] {
            if (const auto client = recipient.lock(); client && client->notify) client->notify(notification);
        });
    }
}

void MIDIService::setSendObserver(SendObserver observer) {
    auto shared = observer ? std::make_shared<const SendObserver>(std::move(observer)) : nullptr;
    std::lock_guard guard(mutex_);
    sendObserver_ = std::move(shared);
}

std::optional<std::string> MIDIService::objectName(MIDIObjectRef object) const {
    std::lock_guard guard(mutex_);
    if (const auto client = clients_.find(object); client != clients_.end()) return client->second->name;
    if (const auto port = ports_.find(object); port != ports_.end()) return port->second.name;
    if (const auto found = destinations_.find(object); found != destinations_.end())
        return found->second->name;
    return std::nullopt;
}

MIDIClientRef MIDIService::clientOfPort(MIDIPortRef port) const {
    std::lock_guard guard(mutex_);
    const auto found = ports_.find(port);
    return found == ports_.end() ? 0 : found->second.client;
}

MIDIObjectRef MIDIService::newestObject() const {
    std::lock_guard guard(mutex_);
    return lastHandle_;
}

} // namespace platform
