#pragma once
// A controller monitor as a host holds it, on virtual time: a simulated platform, the receiver
// substitute (its destination up only when a test brings it up), the host's MIDI output and the
// event lists a host renders with. Every message that reaches a destination is kept with its time.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "receiver/Receiver.h"
#include "monitor/common/audiounit/VantrelExtensionAudioUnit.h"
#include "platform/sim/SimulatedPlatform.h"
#include "protocol/ReceiverMessageDecoder.h"

namespace vantrel::test {

using Bytes = std::vector<std::uint8_t>;
using Kind = protocol::ReceiverMessage::Kind;

platform::Duration ms(double milliseconds);

// One event the host's MIDI output was handed.
struct PassedEvent {
    platform::AUEventSampleTime sampleTime;
    std::uint8_t cable;
    Bytes bytes;
    friend bool operator==(const PassedEvent&, const PassedEvent&) = default;
};

// One message that reached a destination.
struct SentMessage {
    platform::TimePoint time;
    platform::MIDIEndpointRef destination;
    protocol::ReceiverMessage message;
};

// A render cycle's event list, linked in the order the events were added.
class EventList {
public:
    EventList& midi(const Bytes& bytes, platform::AUEventSampleTime sampleTime = 0, std::uint8_t cable = 0);
    // A MIDI event whose length field says `length` whatever `data` holds.
    EventList& midiWithLength(std::uint16_t length, const Bytes& data);
    EventList& other(platform::AURenderEventType type);
    const platform::AURenderEvent* head();

private:
    std::vector<platform::AURenderEvent> events_;
};

// One render call of 512 frames, as a MIDI processor is called.
platform::AUAudioUnitStatus render(const platform::AUInternalRenderBlock& block,
                                   const platform::AURenderEvent* head);

class HostedMonitor {
public:
    HostedMonitor();

    std::shared_ptr<monitor::VantrelExtensionAudioUnit> createUnit();
    // With render resources allocated on a host MIDI output that records into `passed`.
    std::shared_ptr<monitor::VantrelExtensionAudioUnit> createRenderingUnit();

    void advanceTo(platform::Duration time) { sim.advance(time - sim.now()); }
    // Posts a notification and lets the main queue deliver it.
    void post(const std::string& name, std::optional<platform::Dictionary> userInfo);
    void connect(const monitor::VantrelExtensionAudioUnit& unit, const std::string& trackName = "Strings");

    // The monitor's log lines without the plug in front; another subsystem's line shows whole.
    std::vector<std::pair<platform::TimePoint, std::string>> timedMonitorLog() const;
    std::vector<std::string> monitorLog() const;
    std::vector<std::string> systemLog() const;

    std::vector<SentMessage> messages(Kind kind) const;
    std::vector<platform::TimePoint> heartbeatTimes() const;

    mutable platform::SimulatedPlatform sim; // first: outlives everything below
    vantrel::receiver::Receiver receiver{*sim.applicationSupportDirectory()};
    std::vector<SentMessage> sent;
    std::vector<PassedEvent> passed;
    // Called for each message as it goes out, after it is recorded.
    std::function<void(const SentMessage&)> onSend;
};

} // namespace vantrel::test
