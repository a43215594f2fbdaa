#pragma once
// What the receiver learns from the messages at its destination, and how it answers
// them: on a queue of its own, a moment after the request, as a program of its own would. Held
// by the destination's read block as well as by the receiver, so that a send still under way on
// another thread when the receiver goes finds it there.

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/midi/MIDIServices.h"
#include "protocol/ReceiverMessageDecoder.h"

namespace vantrel::receiver {

inline constexpr const char* kConnectNotification = "com.marlek.vantrel.connect";
inline constexpr const char* kDisconnectNotification = "com.marlek.vantrel.disconnect";
inline constexpr const char* kArticulationsNotification = "com.marlek.vantrel.articulations";

// A controller-monitor instance as the receiver knows it, by its uid.
struct MonitorReport {
    std::uint32_t uid = 0;
    std::string trackName; // the name the receiver gave it when it last connected it
    bool connected = false;
    std::uint64_t heartbeats = 0;
    std::uint64_t connectRequests = 0;
    std::uint64_t disconnectRequests = 0;
    std::uint64_t events = 0;
    // The last channel message per what it reports (controller and channel, pressure, pitch
    // wheel, channel-16 note), keyed so that the order is message type, controller, channel.
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

class ReceiverState : public std::enable_shared_from_this<ReceiverState> {
public:
    // Answers go out on `answers`. Always held by std::shared_ptr.
    explicit ReceiverState(platform::DispatchQueue answers) : answers_(std::move(answers)) {}

    // One packet list that reached the destination. [any sender's thread, render threads
    // included] A PeakMeterMessage is taken without allocating or locking; the monitor's
    // messages never come from a render thread.
    void receive(const platform::MIDIPacketList* packets);

    // See Receiver. [any]
    void setAutoConnect(std::vector<std::string> trackNames);
    void connect(std::uint32_t uid, const std::string& trackName);
    void disconnect(std::uint32_t uid);

    std::vector<MonitorReport> monitors() const;
    std::vector<MeterReport> meters() const;
    std::uint64_t unknownMessages() const { return unknownMessages_.load(); }

private:
    struct MeterSlot {
        std::atomic<std::uint32_t> levels{0}; // trackNr << 16 | peakL << 8 | peakR
        std::atomic<std::uint64_t> messages{0};
    };

    void handle(const protocol::ReceiverMessage& message);
    MonitorReport& monitor(std::uint32_t uid);   // under mutex_
    std::string trackNameFor(std::uint32_t uid); // under mutex_

    platform::DispatchQueue answers_;
    mutable std::mutex mutex_;
    std::vector<MonitorReport> monitors_;
    std::vector<std::string> autoConnectTracks_;
    std::map<std::uint32_t, std::string> assignedTracks_; // under the current auto-connect setting

    std::array<MeterSlot, 128> meters_;
    std::atomic<std::uint64_t> unknownMessages_{0};
};

} // namespace vantrel::receiver
