#pragma once
// The receiver application's core, used in-process by the host and by the vantrel-receiver
// program: it owns the virtual destination with unique ID KVRT, decodes every message that
// arrives there, answers connect and disconnect requests with the distributed notifications when
// told to, posts articulation lists, and writes the track mapping file. It keeps what it learnt,
// as a receiver would show it.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "receiver/MappingFileWriter.h"
#include "receiver/ReceiverState.h"
#include "platform/midi/MIDIServices.h"

namespace vantrel::receiver {

class Receiver {
public:
    // Creates the receiver's MIDI client and its mapping-file writer for `applicationSupport`.
    // [main]
    explicit Receiver(const std::filesystem::path& applicationSupport);
    ~Receiver();
    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;

    // Each packet list that reaches the destination, after the receiver took it. [MIDI service's
    // thread; in-process, also a sender's render thread]
    using PacketObserver = std::function<void(const platform::MIDIPacketList*)>;

    // Creates the destination named `name` with unique ID KVRT; false when it is up already or
    // the MIDI service refuses. [main]
    bool up(const std::string& name = "receiver", PacketObserver observer = {});
    void down(); // [main] Disposes of the destination.
    platform::MIDIEndpointRef destination() const { return destination_.load(); }

    // Answer every ConnectRequest with "com.marlek.vantrel.connect" and every DisconnectRequest
    // with "com.marlek.vantrel.disconnect", on the receiver's own queue as soon as it runs. Each
    // uid gets a track name once: the next of `trackNames` (the last one repeats). Empty: answer
    // nothing. [any]
    void setAutoConnect(std::vector<std::string> trackNames) {
        state_->setAutoConnect(std::move(trackNames));
    }

    // The three notifications, posted as the receiver application posts them. [any]
    void connect(std::uint32_t uid, const std::string& trackName) { state_->connect(uid, trackName); }
    void disconnect(std::uint32_t uid) { state_->disconnect(uid); }
    void postArticulations(const std::vector<std::string>& names,
                           const std::optional<std::vector<int>>& notes);

    MappingFileWriter& mappingFile() { return mappingFile_; }

    // [any] In the order they were first heard.
    std::vector<MonitorReport> monitors() const { return state_->monitors(); }
    // [any] Those heard from, by instance number.
    std::vector<MeterReport> meters() const { return state_->meters(); }
    std::uint64_t unknownMessages() const { return state_->unknownMessages(); }

private:
    std::shared_ptr<ReceiverState> state_;
    platform::MIDIClientRef client_ = 0;
    std::atomic<platform::MIDIEndpointRef> destination_{0};
    MappingFileWriter mappingFile_;
};

} // namespace vantrel::receiver
