#include "platform/midi/jack/JackMIDIService.h"

#include <jack/metadata.h>
#include <jack/midiport.h>
#include <readerwriterqueue/readerwriterqueue.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstring>

#include "MultiSenderQueue.h"

namespace platform {

using namespace std::chrono_literals;

namespace {

constexpr auto retryInterval = 500ms;
// A server may report a connection made before it carries data: PipeWire's links become active
// some cycles after jack_connect returns, and what a port sends before that is lost.
constexpr std::uint64_t settlingCycles = 4;
constexpr const char* integerType = "http://www.w3.org/2001/XMLSchema#int";

// Polls `holds` every millisecond until it turns false or `timeout` has passed.
template <class Condition> void waitWhile(Condition holds, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (holds() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
}

} // namespace

// An output port of ours and the lists it queued; the queue outlives the port, so that a slot
// handed to a new port finds it there and the process thread never sees it freed.
struct JackMIDIService::OutputSlot {
    using Queue = MultiSenderQueue<Record, listsPerPort>;
    std::atomic<MIDIPortRef> port{0};
    std::atomic<Queue*> queue{nullptr};
    std::unique_ptr<Queue> storage; // under mutex_
};

// A destination we send to and the JACK output port of ours connected to it.
struct JackMIDIService::Route {
    std::atomic<MIDIEndpointRef> destination{0};
    std::atomic<jack_port_t*> port{nullptr};
    std::atomic<bool> connected{false};
    std::atomic<std::uint64_t> firstCycle{0}; // the first that may carry lists once connected
    std::atomic<bool> wanted{false};
    std::string target; // full port name; under mutex_
};

// A destination of this process: a JACK MIDI input port and what arrived at it.
struct JackMIDIService::OwnDestination {
    std::atomic<jack_port_t*> port{nullptr};
    std::atomic<std::uint32_t> dropped{0};
    moodycamel::ReaderWriterQueue<Record> incoming{1024}; // the process thread is its one sender
    // Under mutex_:
    MIDIEndpointRef handle = 0;
    MIDIClientRef client = 0;
    std::string name;
    std::shared_ptr<const MIDIReadBlock> read;
    std::int32_t uniqueID = 0;
};

JackMIDIService::JackMIDIService(Executor& executor, std::string clientName)
    : MIDIService(executor), clientName_(std::move(clientName)),
      slots_(std::make_unique<std::array<OutputSlot, maxOutputPorts>>()),
      routes_(std::make_unique<std::array<Route, maxRoutes>>()),
      own_(std::make_unique<std::array<OwnDestination, maxOwnDestinations>>()) {
    {
        std::lock_guard guard(mutex_);
        open();
        refreshDestinations(); // a plug-in looks for its destination as soon as it is made
    }
    keeper_ = std::thread([this] { keep(); });
    reader_ = std::thread([this] { deliver(); });
}

JackMIDIService::~JackMIDIService() {
    stop();
    std::lock_guard guard(mutex_);
    close();
}

// [JACK notification thread]
void JackMIDIService::noteSetupChange(void* self) {
    auto* service = static_cast<JackMIDIService*>(self);
    service->setupChanged_.store(true);
    service->keeperWake_.release();
}

void JackMIDIService::stop() {
    deliverQueued();
    stopping_.store(true);
    keeperWake_.release();
    readerWake_.release();
    if (keeper_.joinable()) keeper_.join();
    if (reader_.joinable()) reader_.join();
}

bool JackMIDIService::open() {
    jack_status_t status{};
    jack_client_t* client = jack_client_open(clientName_.c_str(), JackNoStartServer, &status);
    if (client == nullptr) return false;
    jack_set_process_callback(
        client, [](jack_nframes_t frames, void* self) { return static_cast<JackMIDIService*>(self)->process(frames); },
        this);
    jack_set_port_registration_callback(
        client, [](jack_port_id_t, int, void* self) { noteSetupChange(self); }, this);
    jack_set_port_connect_callback(
        client, [](jack_port_id_t, jack_port_id_t, int, void* self) { noteSetupChange(self); }, this);
    jack_set_property_change_callback(
        client, [](jack_uuid_t, const char*, jack_property_change_t, void* self) { noteSetupChange(self); }, this);
    jack_on_info_shutdown(
        client,
        [](jack_status_t, const char*, void* self) {
            auto* service = static_cast<JackMIDIService*>(self);
            service->serverGone_.store(true);
            service->keeperWake_.release();
        },
        this);
    client_.store(client);
    for (auto& destination : *own_) {
        if (destination.handle != 0) registerOwnPort(destination);
    }
    if (jack_activate(client) != 0) {
        close();
        return false;
    }
    return true;
}

void JackMIDIService::close() {
    jack_client_t* client = client_.exchange(nullptr);
    if (client == nullptr) return;
    for (auto& route : *routes_) {
        route.connected.store(false);
        route.port.store(nullptr);
    }
    for (auto& destination : *own_)
        destination.port.store(nullptr);
    jack_deactivate(client);
    jack_client_close(client);
    // Every other destination goes with the server; ours come back with the next one.
    for (auto entry = known_.begin(); entry != known_.end();) {
        if (!ownDestination(entry->second.handle)) {
            (*routes_)[entry->second.route].destination.store(0);
            entry = known_.erase(entry);
        } else {
            ++entry;
        }
    }
    order_.clear();
    publishDestinations();
}

void JackMIDIService::registerOwnPort(OwnDestination& destination) {
    jack_client_t* client = client_.load();
    if (client == nullptr) return;
    jack_port_t* port =
        jack_port_register(client, destination.name.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (port == nullptr) return;
    const std::string value = std::to_string(destination.uniqueID);
    jack_set_property(client, jack_port_uuid(port), uniqueIDProperty, value.c_str(), integerType);
    const int route = routeFor(destination.handle);
    known_[jack_port_name(port)] = Known{destination.handle, route};
    (*routes_)[route].target = jack_port_name(port);
    destination.port.store(port);
}

void JackMIDIService::keep() {
    while (!stopping_.load()) {
        (void)keeperWake_.try_acquire_for(retryInterval);
        if (stopping_.load()) return;
        bool changed = setupChanged_.exchange(false);
        {
            std::lock_guard guard(mutex_);
            if (serverGone_.exchange(false)) {
                close();
                changed = true;
            }
            if (client_.load() == nullptr && open()) changed = true;
            if (client_.load() != nullptr) {
                refreshDestinations();
                makeWantedRoutes();
            }
        }
        if (changed) postNotification(kMIDIMsgSetupChanged);
    }
}

void JackMIDIService::refreshDestinations() const {
    jack_client_t* client = client_.load();
    order_.clear();
    if (client == nullptr) {
        publishDestinations();
        return;
    }
    const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
    std::vector<std::string> names;
    for (const char** name = ports; name != nullptr && *name != nullptr; ++name)
        names.emplace_back(*name);
    jack_free(ports);
    for (auto entry = known_.begin(); entry != known_.end();) {
        if (std::find(names.begin(), names.end(), entry->first) == names.end() && !ownDestination(entry->second.handle)) {
            auto& route = (*routes_)[entry->second.route];
            route.connected.store(false);
            route.destination.store(0);
            entry = known_.erase(entry);
        } else {
            ++entry;
        }
    }
    // Learning of a new JACK port hands out a handle even on a const enumeration.
    auto* self = const_cast<JackMIDIService*>(this);
    for (const auto& name : names) {
        auto found = known_.find(name);
        if (found == known_.end()) {
            const auto free = std::find_if(routes_->begin(), routes_->end(), [](const Route& route) {
                return route.destination.load() == 0;
            });
            if (free == routes_->end()) continue; // more destinations than we can send to
            const MIDIEndpointRef handle = self->allocateHandle();
            free->target = name;
            free->destination.store(handle);
            found = known_.emplace(name, Known{handle, static_cast<int>(free - routes_->begin())}).first;
        }
        order_.push_back(found->second.handle);
    }
    publishDestinations();
}

void JackMIDIService::publishDestinations() const {
    std::vector<Listed> listed;
    listed.reserve(order_.size());
    for (const MIDIEndpointRef handle : order_)
        listed.push_back({handle, readUniqueID(handle)});
    const std::lock_guard guard(listMutex_);
    listed_.swap(listed);
}

std::optional<std::int32_t> JackMIDIService::readUniqueID(MIDIEndpointRef object) const {
    if (const OwnDestination* destination = ownDestination(object)) return destination->uniqueID;
    const auto found = std::find_if(known_.begin(), known_.end(),
                                    [object](const auto& entry) { return entry.second.handle == object; });
    if (found == known_.end()) return std::nullopt;
    jack_client_t* client = client_.load();
    jack_port_t* port = client ? jack_port_by_name(client, found->first.c_str()) : nullptr;
    if (port == nullptr) return std::nullopt;
    char* value = nullptr;
    char* type = nullptr;
    std::int32_t uniqueID = -static_cast<std::int32_t>(object & 0x7fffffff); // none set: a generated one
    if (jack_get_property(jack_port_uuid(port), uniqueIDProperty, &value, &type) == 0 && value != nullptr) {
        const char* end = value + std::strlen(value);
        std::int32_t parsed = 0;
        if (std::from_chars(value, end, parsed).ptr == end) uniqueID = parsed;
    }
    jack_free(value);
    jack_free(type);
    return uniqueID;
}

void JackMIDIService::makeWantedRoutes() {
    jack_client_t* client = client_.load();
    for (std::size_t index = 0; index < maxRoutes; ++index) {
        Route& route = (*routes_)[index];
        if (route.destination.load() == 0 || route.connected.load() || !route.wanted.exchange(false)) continue;
        jack_port_t* port = route.port.load();
        if (port == nullptr) {
            const std::string name = "out-" + std::to_string(index + 1);
            port = jack_port_register(client, name.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
            if (port == nullptr) continue;
            route.port.store(port);
        }
        jack_port_disconnect(client, port);
        const int status = jack_connect(client, jack_port_name(port), route.target.c_str());
        route.firstCycle.store(cycles_.load() + settlingCycles);
        route.connected.store(status == 0 || status == EEXIST);
    }
}

int JackMIDIService::routeFor(MIDIEndpointRef destination) const noexcept {
    if (destination == 0) return -1;
    for (std::size_t index = 0; index < maxRoutes; ++index) {
        if ((*routes_)[index].destination.load(std::memory_order_acquire) == destination)
            return static_cast<int>(index);
    }
    return -1;
}

JackMIDIService::OutputSlot* JackMIDIService::slotFor(MIDIPortRef port) noexcept {
    const std::size_t used = slotsInUse_.load(std::memory_order_acquire);
    for (std::size_t index = 0; index < used; ++index) {
        if ((*slots_)[index].port.load(std::memory_order_acquire) == port) return &(*slots_)[index];
    }
    return nullptr;
}

JackMIDIService::OwnDestination* JackMIDIService::ownDestination(MIDIEndpointRef endpoint) const {
    for (auto& destination : *own_) {
        if (endpoint != 0 && destination.handle == endpoint) return &destination;
    }
    return nullptr;
}

OSStatus JackMIDIService::send(MIDIPortRef port, MIDIEndpointRef destination, const MIDIPacketList* packets) {
    if (packets == nullptr || port == 0) return paramErr;
    OutputSlot* slot = slotFor(port);
    if (slot == nullptr) return kMIDIInvalidPort;
    const int route = routeFor(destination);
    if (route < 0) return kMIDIUnknownEndpoint;
    Record record;
    record.destination = destination;
    record.route = static_cast<std::uint16_t>(route);
    std::size_t length = 0;
    const MIDIPacket* packet = packets->packet;
    for (std::uint32_t i = 0; i < packets->numPackets; ++i, packet = MIDIPacketNext(packet)) {
        if (length + packet->length > maxListBytes) return kMIDIMessageSendErr;
        std::memcpy(record.bytes.data() + length, packet->data, packet->length);
        length += packet->length;
    }
    // A list without bytes sends nothing; queued, a server that refuses empty events would hold
    // up the lists behind it.
    if (length == 0) return noErr;
    record.length = static_cast<std::uint16_t>(length);
    return slot->queue.load(std::memory_order_acquire)->tryPush(record) ? noErr : kMIDIMessageSendErr;
}

int JackMIDIService::process(jack_nframes_t frames) noexcept {
    for (auto& route : *routes_) {
        if (jack_port_t* port = route.port.load(std::memory_order_acquire))
            jack_midi_clear_buffer(jack_port_get_buffer(port, frames));
    }
    const std::size_t used = slotsInUse_.load(std::memory_order_acquire);
    for (std::size_t index = 0; index < used; ++index)
        forward((*slots_)[index], frames);
    bool received = false;
    for (auto& destination : *own_) {
        const auto before = destination.incoming.size_approx();
        collect(destination, frames);
        received = received || destination.incoming.size_approx() != before;
    }
    if (received) readerWake_.release();
    cycles_.fetch_add(1, std::memory_order_release);
    return 0;
}

// Lists for a destination not connected yet wait in the queue, and so do the lists behind them.
void JackMIDIService::forward(OutputSlot& slot, jack_nframes_t frames) noexcept {
    OutputSlot::Queue* queue = slot.queue.load(std::memory_order_acquire);
    if (queue == nullptr) return;
    while (const Record* record = queue->peek()) {
        Route& route = (*routes_)[record->route];
        if (route.destination.load(std::memory_order_acquire) != record->destination) {
            queue->pop(); // the destination is gone
            continue;
        }
        jack_port_t* port = route.port.load(std::memory_order_acquire);
        if (port == nullptr || !route.connected.load(std::memory_order_acquire)) {
            if (!route.wanted.exchange(true)) keeperWake_.release();
            return;
        }
        if (cycles_.load(std::memory_order_relaxed) < route.firstCycle.load(std::memory_order_relaxed)) return;
        void* buffer = jack_port_get_buffer(port, frames);
        if (jack_midi_event_write(buffer, 0, record->bytes.data(), record->length) != 0) return; // next cycle
        queue->pop();
    }
}

void JackMIDIService::collect(OwnDestination& destination, jack_nframes_t frames) noexcept {
    jack_port_t* port = destination.port.load(std::memory_order_acquire);
    if (port == nullptr) return;
    void* buffer = jack_port_get_buffer(port, frames);
    const jack_nframes_t count = jack_midi_get_event_count(buffer);
    for (jack_nframes_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) != 0) continue;
        Record record;
        record.destination = 0;
        record.route = 0;
        record.length = static_cast<std::uint16_t>(std::min(event.size, maxListBytes));
        std::memcpy(record.bytes.data(), event.buffer, record.length);
        if (!destination.incoming.try_enqueue(record)) destination.dropped.fetch_add(1);
    }
}

void JackMIDIService::deliver() {
    alignas(MIDIPacketList) std::array<std::byte, sizeof(MIDIPacketList) + maxListBytes> storage;
    auto* list = reinterpret_cast<MIDIPacketList*>(storage.data());
    while (!stopping_.load()) {
        (void)readerWake_.try_acquire_for(retryInterval);
        for (auto& destination : *own_) {
            std::shared_ptr<const MIDIReadBlock> read;
            {
                std::lock_guard guard(mutex_);
                read = destination.read;
            }
            Record record;
            while (destination.incoming.try_dequeue(record)) {
                if (!read || !*read) continue;
                MIDIPacket* packet = MIDIPacketListInit(list);
                MIDIPacketListAdd(list, storage.size(), packet, 0, record.length, record.bytes.data());
                (*read)(list, nullptr);
            }
        }
    }
}

OSStatus JackMIDIService::createOutputPort(MIDIClientRef client, const std::string& name, MIDIPortRef* outPort) {
    const OSStatus status = MIDIService::createOutputPort(client, name, outPort);
    if (status != noErr) return status;
    std::lock_guard guard(mutex_);
    for (std::size_t index = 0; index < maxOutputPorts; ++index) {
        OutputSlot& slot = (*slots_)[index];
        if (slot.port.load() != 0) continue;
        if (!slot.storage) {
            slot.storage = std::make_unique<OutputSlot::Queue>();
            slot.queue.store(slot.storage.get(), std::memory_order_release);
        }
        slot.port.store(*outPort, std::memory_order_release);
        if (slotsInUse_.load() <= index) slotsInUse_.store(index + 1, std::memory_order_release);
        return noErr;
    }
    MIDIService::disposePort(*outPort);
    *outPort = 0;
    return kMIDIUnknownError;
}

OSStatus JackMIDIService::disposePort(MIDIPortRef port) {
    const OSStatus status = MIDIService::disposePort(port);
    if (status != noErr) return status;
    std::lock_guard guard(mutex_);
    if (OutputSlot* slot = slotFor(port)) slot->port.store(0);
    return noErr;
}

OSStatus JackMIDIService::disposeClient(MIDIClientRef client) {
    std::vector<MIDIEndpointRef> endpoints;
    {
        std::lock_guard guard(mutex_);
        for (std::size_t index = 0; index < slotsInUse_.load(); ++index) {
            OutputSlot& slot = (*slots_)[index];
            if (slot.port.load() != 0 && clientOfPort(slot.port.load()) == client) slot.port.store(0);
        }
        for (const auto& destination : *own_) {
            if (destination.handle != 0 && destination.client == client) endpoints.push_back(destination.handle);
        }
    }
    for (MIDIEndpointRef endpoint : endpoints)
        disposeEndpoint(endpoint);
    return MIDIService::disposeClient(client);
}

OSStatus JackMIDIService::createDestination(MIDIClientRef client, const std::string& name,
                                            MIDIEndpointRef* outDestination, MIDIReadBlock readBlock) {
    if (outDestination == nullptr) return paramErr;
    *outDestination = 0;
    if (!isClient(client)) return kMIDIInvalidClient;
    {
        std::lock_guard guard(mutex_);
        const auto free = std::find_if(own_->begin(), own_->end(),
                                       [](const OwnDestination& destination) { return destination.handle == 0; });
        const auto route = std::find_if(routes_->begin(), routes_->end(),
                                        [](const Route& candidate) { return candidate.destination.load() == 0; });
        if (free == own_->end() || route == routes_->end()) return kMIDIUnknownError;
        const MIDIEndpointRef endpoint = allocateHandle();
        if (endpoint == 0) return kMIDIUnknownError;
        free->handle = endpoint;
        free->client = client;
        free->name = name;
        free->read = std::make_shared<const MIDIReadBlock>(std::move(readBlock));
        free->uniqueID = -static_cast<std::int32_t>(endpoint & 0x7fffffff);
        route->destination.store(endpoint);
        registerOwnPort(*free);
        refreshDestinations();
        *outDestination = endpoint;
    }
    postNotification(kMIDIMsgSetupChanged);
    return noErr;
}

// A host that runs faster than real time (an offline render) may end the process right after its
// last send: what is queued still goes out, as long as the server takes it within a moment. The
// moment allows for a connection still to be made on a loaded machine. The last lists written
// stay in our port buffers until a later cycle clears them, and a server that runs a cycle without
// us while we leave hands that stale buffer to the receiver again; so a cycle must clear them first.
void JackMIDIService::deliverQueued() const {
    const auto queued = [this] {
        for (std::size_t index = 0; index < slotsInUse_.load(); ++index) {
            if (const auto* queue = (*slots_)[index].queue.load(); queue && !queue->empty()) return true;
        }
        return false;
    };
    if (client_.load() == nullptr || stopping_.load()) return;
    waitWhile(queued, 2s);
    waitForTwoCycles();
}

void JackMIDIService::waitForTwoCycles() const {
    const auto start = cycles_.load();
    waitWhile([&] { return cycles_.load() < start + 2; }, 200ms);
}

OSStatus JackMIDIService::disposeEndpoint(MIDIEndpointRef endpoint) {
    {
        std::lock_guard guard(mutex_);
        OwnDestination* destination = ownDestination(endpoint);
        if (destination == nullptr) return kMIDIObjectNotFound;
        if (const int route = routeFor(endpoint); route >= 0) (*routes_)[route].destination.store(0);
        std::erase_if(known_, [endpoint](const auto& entry) { return entry.second.handle == endpoint; });
        if (jack_port_t* port = destination->port.exchange(nullptr)) {
            // The process thread may hold the port for the cycle under way.
            waitForTwoCycles();
            jack_port_unregister(client_.load(), port);
        }
        destination->handle = 0;
        destination->read.reset();
        refreshDestinations();
    }
    postNotification(kMIDIMsgSetupChanged);
    return noErr;
}

ItemCount JackMIDIService::numberOfDestinations() const {
    const std::lock_guard guard(listMutex_);
    return listed_.size();
}

MIDIEndpointRef JackMIDIService::destination(ItemCount index) const {
    const std::lock_guard guard(listMutex_);
    return index < listed_.size() ? listed_[index].handle : 0;
}

OSStatus JackMIDIService::integerProperty(MIDIObjectRef object, MIDIPropertyID property,
                                          std::int32_t* outValue) const {
    if (outValue == nullptr) return paramErr;
    std::optional<std::int32_t> uniqueID;
    {
        const std::lock_guard guard(listMutex_);
        const auto found = std::find_if(listed_.begin(), listed_.end(),
                                        [object](const Listed& listed) { return listed.handle == object; });
        if (found != listed_.end()) {
            if (property != kMIDIPropertyUniqueID) return kMIDIUnknownProperty;
            uniqueID = found->uniqueID;
            if (!uniqueID) return kMIDIObjectNotFound;
        }
    }
    if (!uniqueID) {
        // Not listed: one of ours while the server is away, or a handle gone since.
        const std::lock_guard guard(mutex_);
        const OwnDestination* destination = ownDestination(object);
        if (destination == nullptr) return kMIDIObjectNotFound;
        if (property != kMIDIPropertyUniqueID) return kMIDIUnknownProperty;
        uniqueID = destination->uniqueID;
    }
    *outValue = *uniqueID;
    return noErr;
}

OSStatus JackMIDIService::setIntegerProperty(MIDIObjectRef object, MIDIPropertyID property, std::int32_t value) {
    std::lock_guard guard(mutex_);
    OwnDestination* destination = ownDestination(object);
    if (destination == nullptr) return kMIDIObjectNotFound;
    if (property != kMIDIPropertyUniqueID) return kMIDIUnknownProperty;
    destination->uniqueID = value;
    jack_client_t* client = client_.load();
    if (jack_port_t* port = destination->port.load(); client && port) {
        const std::string text = std::to_string(value);
        jack_set_property(client, jack_port_uuid(port), uniqueIDProperty, text.c_str(), integerType);
    }
    publishDestinations();
    return noErr;
}

} // namespace platform
