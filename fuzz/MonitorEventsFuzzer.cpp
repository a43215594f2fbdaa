// A controller monitor's render events as a host might hand them over: records of every type,
// length, cable and sample time, 16 input bytes each (type, reserved, length low and high, cable,
// three data bytes, sample time). The MIDI events of 1 to 3 bytes must come out of the host's MIDI
// output exactly as they went in, and every report the timer then sends must be well formed.

#include <vector>

#include "FuzzSupport.h"
#include "support/HostedMonitor.h"

using namespace vantrel;

namespace {

// Connected, with its timer running, and every message it sends checked for its form.
struct Fixture : test::HostedMonitor {
    Fixture() {
        receiver.up();
        connect(*unit, "Fuzz");
        sim.advance(platform::seconds(1));
        onSend = [this](const test::SentMessage& message) {
            fuzz::require(message.message.kind == test::Kind::eventReport ||
                              message.message.kind == test::Kind::heartbeat,
                          "the monitor sent a message of no known form");
            sent.clear();
        };
    }
    std::shared_ptr<monitor::VantrelExtensionAudioUnit> unit = createRenderingUnit();
    platform::AUInternalRenderBlock block = unit->internalRenderBlock();
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Fixture* const fixture = new Fixture;
    fixture->sim.log().clear();

    fuzz::ByteReader reader(data, size);
    std::vector<platform::AURenderEvent> events(size / 16);
    std::vector<test::PassedEvent> expected;
    for (std::size_t index = 0; index < events.size(); ++index) {
        platform::AUMIDIEvent& event = events[index].MIDI;
        event.next = index + 1 < events.size() ? &events[index + 1] : nullptr;
        event.eventType = static_cast<platform::AURenderEventType>(reader.take<std::uint8_t>());
        event.reserved = reader.take<std::uint8_t>();
        event.length = reader.take<std::uint16_t>();
        event.cable = reader.take<std::uint8_t>();
        for (std::uint8_t& byte : event.data)
            byte = reader.take<std::uint8_t>();
        event.eventSampleTime = reader.take<std::int64_t>();
        if (event.eventType == platform::AURenderEventMIDI && event.length >= 1 && event.length <= 3)
            expected.push_back({event.eventSampleTime, event.cable, {event.data, event.data + event.length}});
    }

    fixture->passed.clear();
    const auto status = test::render(fixture->block, events.empty() ? nullptr : events.data());
    fuzz::require(status == platform::noErr, "the render call returned an error");
    fuzz::require(fixture->passed == expected, "the MIDI passed through is not the MIDI that went in");
    fixture->unit->monitorSnapshot();
    fixture->sim.advance(platform::milliseconds(10));
    return 0;
}
