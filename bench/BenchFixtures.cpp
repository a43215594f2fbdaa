#include "bench/BenchFixtures.h"

#include <algorithm>
#include <random>

#include "platform/notify/NotificationCenter.h"
#include "protocol/ReceiverMessages.h"
#include "support/PluginComponents.h"

namespace vantrel::bench {

using namespace platform;

ReceiverDestination::ReceiverDestination() : receiver_(std::filesystem::temp_directory_path()) {
    receiver_.up();
}

QueuedDestination::QueuedDestination() {
    MIDIClientCreateWithBlock("Bench queue", &client_, [](const MIDINotification&) {});
    MIDIEndpointRef endpoint = 0;
    MIDIDestinationCreateWithBlock(client_, "Bench queue", &endpoint, [ring = ring_.get()](const MIDIPacketList* list, void*) {
        const MIDIPacket& packet = list->packet[0];
        auto& slot = ring->slots[ring->pushed++ % ring->slots.size()];
        std::copy_n(packet.data, std::min<std::size_t>(packet.length, slot.size()), slot.begin());
    });
    MIDIObjectSetIntegerProperty(endpoint, kMIDIPropertyUniqueID, protocol::KVRT);
}

QueuedDestination::~QueuedDestination() {
    MIDIClientDispose(client_);
}

HostEventList::HostEventList(int phase, std::size_t count) : events_(count) {
    for (std::size_t index = 0; index < count; ++index) {
        const auto step = static_cast<std::uint8_t>((index / 16 * 5 + phase * 64) & 0x7F);
        std::array<std::uint8_t, 3> bytes{};
        std::uint16_t length = 3;
        switch (index % 16) {
        case 0:
        case 1:
        case 2:
        case 3: // modulation sweeps on channels 1-4
            bytes = {static_cast<std::uint8_t>(0xB0 | index % 16), 0x01, step};
            break;
        case 4:
        case 5: // expression and volume on channel 1
            bytes = {0xB0, static_cast<std::uint8_t>(index % 16 == 4 ? 0x0B : 0x07), step};
            break;
        case 6:
        case 7:
            bytes = {0xE0, 0x00, step};
            break;
        case 8:
            bytes = {0xD1, step, 0};
            length = 2;
            break;
        case 9:
        case 10:
            bytes = {0x90, static_cast<std::uint8_t>(0x3C + index % 16), 0x50};
            break;
        case 11:
        case 12:
            bytes = {0x80, static_cast<std::uint8_t>(0x3B + index % 16), 0x00};
            break;
        case 13:
            bytes = {0x9F, static_cast<std::uint8_t>(0x24 + index / 16 % 8), 0x60};
            break;
        default: // sustain and a second sweep on channel 2
            bytes = {0xB1, static_cast<std::uint8_t>(index % 16 == 14 ? 0x40 : 0x02), step};
            break;
        }
        AURenderEvent& event = events_[index];
        event.MIDI.eventType = AURenderEventMIDI;
        event.MIDI.eventSampleTime = static_cast<AUEventSampleTime>(index * 4);
        event.MIDI.length = length;
        std::copy(bytes.begin(), bytes.end(), event.MIDI.data);
        event.head.next = index + 1 < count ? &events_[index + 1] : nullptr;
    }
}

AUMIDIOutputEventBlock countingOutput(std::int64_t& count) {
    return [&count](AUEventSampleTime, std::uint8_t, NSInteger, const std::uint8_t*) {
        ++count;
        return std::int32_t{0};
    };
}

std::shared_ptr<monitor::VantrelExtensionAudioUnit> createMonitor() {
    return monitor::VantrelExtensionAudioUnit::create(test::monitorComponent());
}

std::shared_ptr<meter::TolvaneAudioMeterExtensionAudioUnit> createMeter() {
    return std::make_shared<meter::TolvaneAudioMeterExtensionAudioUnit>(test::meterComponent(), 0);
}

namespace {

// Posts the receiver's connect for `unit`; it takes effect once the platform's queues run.
void postConnect(const monitor::VantrelExtensionAudioUnit& unit) {
    NotificationCenter::defaultCenter().post("com.marlek.vantrel.connect",
                                             Dictionary{{"uid", unit.uniqueID()}, {"trackName", "Bench"}});
}

} // namespace

RenderingMonitor::RenderingMonitor(SimulatedPlatform& sim, bool connected)
    : unit_(createMonitor()), connected_(connected) {
    unit_->setMIDIOutputEventBlock(countingOutput(passed_));
    unit_->allocateRenderResources();
    sim.advance(seconds(1.0));
    sim.notifications().post("com.marlek.vantrel.articulations",
                             Dictionary{{"names", {"A", "B"}}, {"notes", {36, 37}}});
    if (connected) postConnect(*unit_);
    sim.runDue();
}

AUAudioUnitStatus renderEvents(const AUInternalRenderBlock& block, const AURenderEvent* head) {
    AudioUnitRenderActionFlags flags = 0;
    const AudioTimeStamp timestamp{};
    return block(&flags, &timestamp, 512, 0, nullptr, head, {});
}

HostAudioBuffers::HostAudioBuffers(AUAudioFrameCount frames) : frames_(frames) {
    std::mt19937 random(frames);
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
    list_.mNumberBuffers = 2;
    for (std::size_t index = 0; index < 2; ++index) {
        samples_[index].resize(frames);
        for (float& value : samples_[index])
            value = sample(random);
        list_.mBuffers[index].mData = samples_[index].data();
        list_.mBuffers[index].mDataByteSize = static_cast<std::uint32_t>(frames * sizeof(float));
    }
    pull_ = [](AudioUnitRenderActionFlags*, const AudioTimeStamp*, AUAudioFrameCount, NSInteger,
               AudioBufferList*) { return noErr; };
}

AUAudioUnitStatus renderAudio(const AUInternalRenderBlock& block, HostAudioBuffers& audio) {
    AudioUnitRenderActionFlags flags = 0;
    const AudioTimeStamp timestamp{};
    return block(&flags, &timestamp, audio.frames(), 0, &audio.list(), nullptr, audio.pullInPlace());
}

} // namespace vantrel::bench
