#pragma once
// The MIDI service over JACK (jackd2, or PipeWire's JACK server). One JACK client per process;
// the API's clients and output ports are ours on top of it. Destinations are the JACK MIDI input
// ports; the unique ID is port metadata under uniqueIDProperty. A packet list travels as one
// JACK MIDI event (its packets' bytes one after another) on an output port of ours connected to
// the destination, made the first time something is sent there; the receiving side hands each
// event to the read block as a one-packet list, on a thread of its own. Registrations,
// connections, property changes and the server coming or going are setup changes. When the
// server goes away the service connects again once one answers.
//
// Faults, send observers and object names of the in-process service do not apply here.

#include <jack/jack.h>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <semaphore>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/midi/MIDIService.h"

namespace platform {

class JackMIDIService : public MIDIService {
public:
    static constexpr const char* uniqueIDProperty = "urn:tolvane:vantrel:midi-unique-id";
    // A longer packet list is refused with kMIDIMessageSendErr.
    static constexpr std::size_t maxListBytes = 248;
    // Lists that may wait per output port for the JACK cycle; beyond, sends fail.
    static constexpr std::size_t listsPerPort = 128;

    // Registers with the JACK server as `clientName` (JACK may add a suffix), now or, when no
    // server runs yet, as soon as one does. [main]
    JackMIDIService(Executor& executor, std::string clientName);
    ~JackMIDIService() override;
    // Delivers what is queued (waiting two seconds at most), then ends the service's threads:
    // no setup change is delivered after it. [main]
    void stop();

    OSStatus disposeClient(MIDIClientRef client) override;
    OSStatus createOutputPort(MIDIClientRef client, const std::string& name, MIDIPortRef* outPort) override;
    OSStatus disposePort(MIDIPortRef port) override;
    OSStatus createDestination(MIDIClientRef client, const std::string& name, MIDIEndpointRef* outDestination,
                               MIDIReadBlock readBlock) override;
    OSStatus disposeEndpoint(MIDIEndpointRef endpoint) override;
    ItemCount numberOfDestinations() const override;
    MIDIEndpointRef destination(ItemCount index) const override;
    OSStatus integerProperty(MIDIObjectRef object, MIDIPropertyID property, std::int32_t* outValue) const override;
    OSStatus setIntegerProperty(MIDIObjectRef object, MIDIPropertyID property, std::int32_t value) override;
    // Queues the list for the next JACK cycle. [any, render; any number of threads at once, on one
    // port too: a plug-in sends from its render, timer and main threads through its one port]
    // kMIDIMessageSendErr when the port's queue is full or the list too long. Never allocates,
    // locks, makes a system call or waits.
    OSStatus send(MIDIPortRef port, MIDIEndpointRef destination, const MIDIPacketList* packets) override;

    bool serverConnected() const { return client_.load() != nullptr; } // [any]

private:
    struct Record {
        MIDIEndpointRef destination;
        std::uint16_t route;
        std::uint16_t length;
        std::array<std::uint8_t, maxListBytes> bytes;
    };
    struct OutputSlot;
    struct Route;
    struct OwnDestination;

    static constexpr std::size_t maxOutputPorts = 1024;
    static constexpr std::size_t maxRoutes = 64;
    static constexpr std::size_t maxOwnDestinations = 8;

    // The JACK process callback's work. [JACK process thread] Never allocates or locks.
    int process(jack_nframes_t frames) noexcept;
    void forward(OutputSlot& slot, jack_nframes_t frames) noexcept;
    void collect(OwnDestination& destination, jack_nframes_t frames) noexcept;

    static void noteSetupChange(void* self);
    void keep();    // [keeper thread] connects, reconnects, refreshes, makes wanted routes
    void deliver(); // [reader thread] hands received events to read blocks
    bool open();    // under mutex_
    void close();   // under mutex_
    void refreshDestinations() const; // under mutex_; ends with publishDestinations()
    void publishDestinations() const; // under mutex_
    std::optional<std::int32_t> readUniqueID(MIDIEndpointRef destination) const; // under mutex_
    void makeWantedRoutes();          // under mutex_
    void registerOwnPort(OwnDestination& destination); // under mutex_
    int routeFor(MIDIEndpointRef destination) const noexcept;
    OutputSlot* slotFor(MIDIPortRef port) noexcept;
    OwnDestination* ownDestination(MIDIEndpointRef endpoint) const; // under mutex_
    void deliverQueued() const;
    void waitForTwoCycles() const;

    std::string clientName_;
    std::atomic<jack_client_t*> client_{nullptr};
    std::atomic<bool> serverGone_{false};
    std::atomic<bool> setupChanged_{false};
    std::atomic<bool> stopping_{false};
    std::atomic<std::uint64_t> cycles_{0};
    std::counting_semaphore<> keeperWake_{0};
    std::counting_semaphore<> readerWake_{0};

    std::unique_ptr<std::array<OutputSlot, maxOutputPorts>> slots_;
    std::atomic<std::size_t> slotsInUse_{0}; // a bound on the slots ever used
    std::unique_ptr<std::array<Route, maxRoutes>> routes_;
    std::unique_ptr<std::array<OwnDestination, maxOwnDestinations>> own_;

    // The JACK client's non-real-time calls and the tables below. One for the process: libjack's
    // client side is not safe for calls from two clients at once.
    static inline std::mutex mutex_;
    struct Known {
        MIDIEndpointRef handle;
        int route;
    };
    mutable std::unordered_map<std::string, Known> known_; // destinations by full port name
    mutable std::vector<MIDIEndpointRef> order_;            // in JACK's order

    // What the enumeration calls answer from: the destinations in JACK's order with their unique
    // IDs (none: the port went away before it could be read), as the last refresh found them. A
    // caller, a meter's render thread among them, never waits for the server or for mutex_.
    struct Listed {
        MIDIEndpointRef handle;
        std::optional<std::int32_t> uniqueID;
    };
    mutable std::mutex listMutex_; // held only to read or swap listed_
    mutable std::vector<Listed> listed_;

    std::thread keeper_;
    std::thread reader_;
};

} // namespace platform
