#pragma once
// A simulated platform with the receiver application's destination, a host's MIDI output and the
// log, for driving controller-monitor instances on virtual time.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "monitor/common/audiounit/VantrelExtensionAudioUnit.h"
#include "platform/sim/SimulatedPlatform.h"
#include "protocol/ReceiverMessageDecoder.h"

namespace vantrel::monitor::test {

using Bytes = std::vector<std::uint8_t>;
using Kind = protocol::ReceiverMessage::Kind;

struct ReceivedMessage {
    platform::TimePoint time;
    platform::MIDIEndpointRef destination;
    protocol::ReceiverMessage message;
};

// One event the host's MIDI output was handed.
struct PassedEvent {
    platform::AUEventSampleTime sampleTime;
    std::uint8_t cable;
    Bytes bytes;
    friend bool operator==(const PassedEvent&, const PassedEvent&) = default;
};

// A render cycle's event list, linked in the order the events were added.
class EventList {
public:
    EventList& midi(const Bytes& bytes, platform::AUEventSampleTime sampleTime = 0, std::uint8_t cable = 0);
    // A MIDI event whose length field says `length` whatever `data` holds.
    EventList& midiWithLength(std::uint16_t length, const Bytes& data);
    EventList& other(platform::AURenderEventType type);
    // Gives the last event another type, its bytes kept.
    EventList& withType(platform::AURenderEventType type);
    const platform::AURenderEvent* head();

private:
    std::vector<platform::AURenderEvent> events_;
};

platform::AUAudioUnitStatus render(const platform::AUInternalRenderBlock& block,
                                   const platform::AURenderEvent* realtimeEventListHead);

class MonitorTestBench : public ::testing::Test {
protected:
    MonitorTestBench();

    // A destination owned by the receiver's client, last in enumeration order.
    platform::MIDIEndpointRef addDestination(std::int32_t uniqueID = protocol::KVRT);
    std::shared_ptr<VantrelExtensionAudioUnit> createUnit();
    // The unit with render resources allocated on a host MIDI output that records into `passed`.
    std::shared_ptr<VantrelExtensionAudioUnit> createRenderingUnit();
    void hostRecordsMIDIOutput(VantrelExtensionAudioUnit& unit);

    void advanceTo(platform::Duration time) { sim.advance(time - sim.now()); }
    void post(const std::string& name, std::optional<platform::Dictionary> userInfo);
    void connect(const VantrelExtensionAudioUnit& unit, const std::string& trackName = "Strings");

    // The monitor's log lines without the plug in front, each checked for subsystem, category,
    // level and plug.
    std::vector<std::string> monitorLog() const;
    std::vector<std::pair<platform::TimePoint, std::string>> timedMonitorLog() const;
    std::vector<std::string> systemLog() const;

    std::vector<ReceivedMessage> messages(Kind kind) const;
    std::vector<platform::TimePoint> heartbeatTimes() const;
    std::vector<Bytes> reportedEvents() const;
    std::size_t sendCount() const { return received.size(); }

    mutable platform::SimulatedPlatform sim; // first: outlives everything below
    platform::MIDIClientRef receiverClient = 0;
    std::vector<ReceivedMessage> received;
    std::vector<PassedEvent> passed;
    // Called for each message the receiver gets, after it is recorded.
    std::function<void(const ReceivedMessage&)> onReceive;
    const platform::AudioComponentDescription description{platform::kAudioUnitType_MIDIProcessor,
                                                          platform::fourCharCode("Vntr"),
                                                          platform::fourCharCode("Mrlk")};
};

platform::Duration ms(double milliseconds);

} // namespace vantrel::monitor::test
