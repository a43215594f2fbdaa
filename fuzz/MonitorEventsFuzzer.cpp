// A controller monitor's render events as a host might hand them over: records of every type,
// length, cable and sample time, 16 input bytes each (type, reserved, length low and high, cable,
// three data bytes, sample time). The MIDI events of 1 to 3 bytes must come out of the host's MIDI
// output exactly as they went in, and every report the timer then sends must be well formed.

#include <vector>

#include "FuzzSupport.h"
#include "monitor/common/audiounit/VantrelExtensionAudioUnit.h"
#include "protocol/ReceiverMessageDecoder.h"

using namespace vantrel;

namespace {

struct Passed {
    std::int64_t sampleTime;
    std::uint8_t cable;
    std::vector<std::uint8_t> bytes;
    bool operator==(const Passed&) const = default;
};

struct Fixture {
    Fixture() {
        unit->setMIDIOutputEventBlock([this](platform::AUEventSampleTime sampleTime, std::uint8_t cable,
                                             platform::NSInteger length, const std::uint8_t* bytes) {
            passed.push_back({sampleTime, cable, {bytes, bytes + length}});
            return std::int32_t{0};
        });
        unit->allocateRenderResources();
        block = unit->internalRenderBlock();
        platform.sim.notifications().post(
            "com.marlek.vantrel.connect",
            platform::Dictionary{{"uid", unit->uniqueID()}, {"trackName", "Fuzz"}});
        platform.sim.advance(platform::seconds(1));
        platform.sim.midi().setSendObserver([](const platform::MIDISendRecord& record) {
            const auto kind = protocol::decodeReceiverMessage(record.bytes()).kind;
            fuzz::require(kind == protocol::ReceiverMessage::Kind::eventReport ||
                              kind == protocol::ReceiverMessage::Kind::heartbeat,
                          "the monitor sent a message of no known form");
        });
    }
    fuzz::FuzzPlatform platform;
    std::shared_ptr<monitor::VantrelExtensionAudioUnit> unit = monitor::VantrelExtensionAudioUnit::create(
        {platform::kAudioUnitType_MIDIProcessor, platform::fourCharCode("Vntr"),
         platform::fourCharCode("Mrlk")});
    platform::AUInternalRenderBlock block;
    std::vector<Passed> passed;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Fixture* const fixture = new Fixture;
    fixture->platform.sim.log().clear();

    fuzz::ByteReader reader(data, size);
    std::vector<platform::AURenderEvent> events(size / 16);
    std::vector<Passed> expected;
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
    platform::AudioUnitRenderActionFlags flags = 0;
    const platform::AudioTimeStamp timestamp{};
    const auto status =
        fixture->block(&flags, &timestamp, 512, 0, nullptr, events.empty() ? nullptr : events.data(), {});
    fuzz::require(status == platform::noErr, "the render call returned an error");
    fuzz::require(fixture->passed == expected, "the MIDI passed through is not the MIDI that went in");
    fixture->unit->monitorSnapshot();
    fixture->platform.sim.advance(platform::milliseconds(10));
    return 0;
}
