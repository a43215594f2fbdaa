#include "receiver/ReceiverState.h"

#include <algorithm>

#include "platform/notify/NotificationCenter.h"
#include "protocol/ReceiverMessages.h"

namespace vantrel::receiver {

namespace {

constexpr std::size_t maxMessageBytes = 1024;

// What a channel message reports, as the key of MonitorReport::lastEvents.
std::uint32_t eventKey(const std::vector<std::uint8_t>& event) {
    const std::uint32_t status = event[0];
    const std::uint32_t type = status & 0xF0;
    const std::uint32_t channel = status & 0x0F;
    const std::uint32_t controller = type == 0xB0 && event.size() > 1 ? event[1] : 0;
    return type << 16 | controller << 8 | channel;
}

} // namespace

void ReceiverState::setAutoConnect(std::vector<std::string> trackNames) {
    std::lock_guard guard(mutex_);
    autoConnectTracks_ = std::move(trackNames);
    assignedTracks_.clear();
}

void ReceiverState::connect(std::uint32_t uid, const std::string& trackName) {
    {
        std::lock_guard guard(mutex_);
        MonitorReport& report = monitor(uid);
        report.connected = true;
        report.trackName = trackName;
    }
    platform::NotificationCenter::defaultCenter().post(
        kConnectNotification, platform::Dictionary{{"uid", uid}, {"trackName", trackName}});
}

void ReceiverState::disconnect(std::uint32_t uid) {
    {
        std::lock_guard guard(mutex_);
        monitor(uid).connected = false;
    }
    platform::NotificationCenter::defaultCenter().post(kDisconnectNotification,
                                                       platform::Dictionary{{"uid", uid}});
}

void ReceiverState::receive(const platform::MIDIPacketList* packets) {
    std::array<std::uint8_t, maxMessageBytes> bytes;
    std::size_t length = 0;
    const platform::MIDIPacket* packet = packets->packet;
    for (std::uint32_t i = 0; i < packets->numPackets; ++i, packet = platform::MIDIPacketNext(packet)) {
        for (std::uint16_t j = 0; j < packet->length && length < bytes.size(); ++j)
            bytes[length++] = packet->data[j];
    }
    // The meter sends from its render thread: its message is read here by hand, into atomics.
    if (length == 7 && bytes[0] == protocol::sysExStart && bytes[1] == protocol::peakMeterFamily &&
        bytes[6] == protocol::sysExEnd &&
        std::all_of(&bytes[2], &bytes[6], [](std::uint8_t b) { return b < 0x80; })) {
        MeterSlot& slot = meters_[bytes[2]];
        slot.levels.store(std::uint32_t{bytes[3]} << 16 | std::uint32_t{bytes[4]} << 8 | bytes[5]);
        slot.messages.fetch_add(1);
        return;
    }
    handle(protocol::decodeReceiverMessage(std::span<const std::uint8_t>(bytes.data(), length)));
}

void ReceiverState::handle(const protocol::ReceiverMessage& message) {
    using Kind = protocol::ReceiverMessage::Kind;
    std::optional<std::string> connectTrack;
    bool answerDisconnect = false;
    {
        std::lock_guard guard(mutex_);
        switch (message.kind) {
        case Kind::heartbeat:
            ++monitor(message.uid).heartbeats;
            break;
        case Kind::connectRequest:
            ++monitor(message.uid).connectRequests;
            if (!autoConnectTracks_.empty()) connectTrack = trackNameFor(message.uid);
            break;
        case Kind::disconnectRequest:
            ++monitor(message.uid).disconnectRequests;
            answerDisconnect = !autoConnectTracks_.empty();
            break;
        case Kind::eventReport: {
            MonitorReport& report = monitor(message.uid);
            ++report.events;
            report.lastEvents[eventKey(message.event)] = message.event;
            break;
        }
        case Kind::peakMeter:
        case Kind::unknown:
            unknownMessages_.fetch_add(1);
            break;
        }
    }
    if (connectTrack) {
        answers_.async([self = shared_from_this(), uid = message.uid, track = *connectTrack] {
            self->connect(uid, track);
        });
    }
    if (answerDisconnect)
        answers_.async([self = shared_from_this(), uid = message.uid] { self->disconnect(uid); });
}

MonitorReport& ReceiverState::monitor(std::uint32_t uid) {
    const auto found = std::find_if(monitors_.begin(), monitors_.end(),
                                    [uid](const MonitorReport& report) { return report.uid == uid; });
    if (found != monitors_.end()) return *found;
    MonitorReport& report = monitors_.emplace_back();
    report.uid = uid;
    return report;
}

std::string ReceiverState::trackNameFor(std::uint32_t uid) {
    const auto assigned = assignedTracks_.find(uid);
    if (assigned != assignedTracks_.end()) return assigned->second;
    const std::size_t index = std::min(assignedTracks_.size(), autoConnectTracks_.size() - 1);
    return assignedTracks_[uid] = autoConnectTracks_[index];
}

std::vector<MonitorReport> ReceiverState::monitors() const {
    std::lock_guard guard(mutex_);
    return monitors_;
}

std::vector<MeterReport> ReceiverState::meters() const {
    std::vector<MeterReport> reports;
    for (std::size_t id = 0; id < meters_.size(); ++id) {
        const std::uint64_t messages = meters_[id].messages.load();
        if (messages == 0) continue;
        const std::uint32_t levels = meters_[id].levels.load();
        reports.push_back({static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(levels >> 16),
                           static_cast<std::uint8_t>(levels >> 8), static_cast<std::uint8_t>(levels),
                           messages});
    }
    return reports;
}

} // namespace vantrel::receiver
