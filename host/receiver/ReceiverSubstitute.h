#pragma once
// Plays the receiver application's part for the plug-ins: it owns the virtual destination with
// unique ID KVRT, decodes every message that arrives there, answers connect and disconnect
// requests with the distributed notifications when told to, posts articulation lists, and
// writes the track mapping file. It keeps what it learnt, as a receiver would show it.

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "host/receiver/MappingFileWriter.h"
#include "platform/midi/MIDIServices.h"
#include "protocol/ReceiverMessageDecoder.h"

namespace vantrel::host {

inline constexpr const char* kConnectNotification = "com.marlek.vantrel.connect";
inline constexpr const char* kDisconnectNotification = "com.marlek.vantrel.disconnect";
inline constexpr const char* kArticulationsNotification = "com.marlek.vantrel.articulations";

// A controller-monitor instance as the receiver knows it, by its uid.
struct MonitorReport {
    std::uint32_t uid = 0;
    std::string trackName; // the name the receiver gave it when it connected it
    bool connected = false;
    std::uint64_t heartbeats = 0;
    std::uint64_t connectRequests = 0;
    std::uint64_t disconnectRequests = 0;
    std::uint64_t events = 0;
    // The last channel message per what it reports (controller and channel, pressure, pitch
    // wheel, channel-16 note), keyed so that the order is status, controller, channel.
    std::map<std::uint32_t, std::vector<std::uint8_t>> lastEvents;
};

// An audio-meter instance as the receiver knows it, by its instance number.
struct MeterReport {
    std::uint8_t instanceID = 0;
    std::uint8_t trackNr = 0;
    std::uint8_t peakL = 0;
    std::uint8_t peakR = 0;
    std::uint64_t messages = 0;
};

class ReceiverSubstitute {
public:
    // Creates the receiver's MIDI client and its mapping-file writer for `applicationSupport`.
    // [host]
    explicit ReceiverSubstitute(const std::filesystem::path& applicationSupport);
    ~ReceiverSubstitute();
    ReceiverSubstitute(const ReceiverSubstitute&) = delete;
    ReceiverSubstitute& operator=(const ReceiverSubstitute&) = delete;

    // Creates the destination named `name` with unique ID KVRT; false when it is up already or
    // the MIDI service refuses. [host]
    bool up(const std::string& name = "receiver");
    void down(); // [host] Disposes of the destination.
    platform::MIDIEndpointRef destination() const { return destination_.load(); }

    // Answer every ConnectRequest with "com.marlek.vantrel.connect" and every DisconnectRequest
    // with "com.marlek.vantrel.disconnect". Each uid gets a track name once: the next of
    // `trackNames` (the last one repeats). Empty: answer nothing. [any]
    void setAutoConnect(std::vector<std::string> trackNames);

    // The three notifications, posted as the receiver application posts them. [any]
    void connect(std::uint32_t uid, const std::string& trackName);
    void disconnect(std::uint32_t uid);
    void postArticulations(const std::vector<std::string>& names,
                           const std::optional<std::vector<int>>& notes);

    MappingFileWriter& mappingFile() { return mappingFile_; }

    std::vector<MonitorReport> monitors() const; // [any] In the order they were first heard.
    std::vector<MeterReport> meters() const;     // [any] Those heard from, by instance number.
    std::uint64_t unknownMessages() const { return unknownMessages_.load(); }

private:
    struct MeterSlot {
        std::atomic<std::uint32_t> levels{0}; // trackNr << 16 | peakL << 8 | peakR
        std::atomic<std::uint64_t> messages{0};
    };

    // [any sender's thread, render threads included] A PeakMeterMessage is taken without
    // allocating or locking; the monitor's messages never come from a render thread.
    void receive(const platform::MIDIPacketList* packets);
    void handle(const protocol::ReceiverMessage& message);
    MonitorReport& monitor(std::uint32_t uid);   // under mutex_
    std::string trackNameFor(std::uint32_t uid); // under mutex_

    platform::MIDIClientRef client_ = 0;
    std::atomic<platform::MIDIEndpointRef> destination_{0};
    MappingFileWriter mappingFile_;

    mutable std::mutex mutex_;
    std::vector<MonitorReport> monitors_;
    std::vector<std::string> autoConnectTracks_;
    std::map<std::uint32_t, std::string> assignedTracks_; // under the current auto-connect setting

    std::array<MeterSlot, 128> meters_;
    std::atomic<std::uint64_t> unknownMessages_{0};
};

} // namespace vantrel::host
