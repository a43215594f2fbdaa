#include "MonitorTestBench.h"

#include <algorithm>

namespace vantrel::monitor::test {

namespace {

constexpr std::string_view plug = "🔌 ";

Bytes packetListBytes(const platform::MIDIPacketList* list) {
    Bytes bytes;
    const platform::MIDIPacket* packet = list->packet;
    for (std::uint32_t index = 0; index < list->numPackets;
         ++index, packet = platform::MIDIPacketNext(packet)) {
        bytes.insert(bytes.end(), packet->data, packet->data + packet->length);
    }
    return bytes;
}

} // namespace

platform::Duration ms(double milliseconds) {
    return platform::milliseconds(milliseconds);
}

EventList& EventList::midi(const Bytes& bytes, platform::AUEventSampleTime sampleTime, std::uint8_t cable) {
    platform::AURenderEvent event{};
    event.MIDI.eventType = platform::AURenderEventMIDI;
    event.MIDI.eventSampleTime = sampleTime;
    event.MIDI.cable = cable;
    event.MIDI.length = static_cast<std::uint16_t>(bytes.size());
    std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), 3), event.MIDI.data);
    events_.push_back(event);
    return *this;
}

EventList& EventList::midiWithLength(std::uint16_t length, const Bytes& data) {
    midi(data);
    events_.back().MIDI.length = length;
    return *this;
}

EventList& EventList::other(platform::AURenderEventType type) {
    platform::AURenderEvent event{};
    event.head.eventType = type;
    events_.push_back(event);
    return *this;
}

EventList& EventList::withType(platform::AURenderEventType type) {
    events_.back().head.eventType = type;
    return *this;
}

const platform::AURenderEvent* EventList::head() {
    for (std::size_t index = 0; index < events_.size(); ++index) {
        events_[index].head.next = index + 1 < events_.size() ? &events_[index + 1] : nullptr;
    }
    return events_.empty() ? nullptr : events_.data();
}

platform::AUAudioUnitStatus render(const platform::AUInternalRenderBlock& block,
                                   const platform::AURenderEvent* realtimeEventListHead) {
    platform::AudioUnitRenderActionFlags flags = 0;
    const platform::AudioTimeStamp timestamp{};
    return block(&flags, &timestamp, 512, 0, nullptr, realtimeEventListHead, {});
}

MonitorTestBench::MonitorTestBench() {
    platform::MIDIClientCreateWithBlock("Receiver", &receiverClient, {});
}

platform::MIDIEndpointRef MonitorTestBench::addDestination(std::int32_t uniqueID) {
    // The read block learns its own handle once creation has returned it.
    auto handle = std::make_shared<platform::MIDIEndpointRef>(0);
    platform::MIDIDestinationCreateWithBlock(
        receiverClient, "Vantrel Receiver", handle.get(),
        [this, handle](const platform::MIDIPacketList* list, void*) {
            received.push_back({sim.now(), *handle, protocol::decodeReceiverMessage(packetListBytes(list))});
            if (onReceive) onReceive(received.back());
        });
    platform::MIDIObjectSetIntegerProperty(*handle, platform::kMIDIPropertyUniqueID, uniqueID);
    return *handle;
}

std::shared_ptr<VantrelExtensionAudioUnit> MonitorTestBench::createUnit() {
    return VantrelExtensionAudioUnit::create(description);
}

std::shared_ptr<VantrelExtensionAudioUnit> MonitorTestBench::createRenderingUnit() {
    auto unit = createUnit();
    hostRecordsMIDIOutput(*unit);
    unit->allocateRenderResources();
    return unit;
}

void MonitorTestBench::hostRecordsMIDIOutput(VantrelExtensionAudioUnit& unit) {
    unit.setMIDIOutputEventBlock([this](platform::AUEventSampleTime sampleTime, std::uint8_t cable,
                                        platform::NSInteger length, const std::uint8_t* bytes) {
        passed.push_back({sampleTime, cable, Bytes(bytes, bytes + length)});
        return std::int32_t{0};
    });
}

void MonitorTestBench::post(const std::string& name, std::optional<platform::Dictionary> userInfo) {
    sim.notifications().post(name, std::move(userInfo));
    sim.runDue();
}

void MonitorTestBench::connect(const VantrelExtensionAudioUnit& unit, const std::string& trackName) {
    post("com.marlek.vantrel.connect",
         platform::Dictionary{{"uid", unit.uniqueID()}, {"trackName", trackName}});
}

std::vector<std::pair<platform::TimePoint, std::string>> MonitorTestBench::timedMonitorLog() const {
    std::vector<std::pair<platform::TimePoint, std::string>> lines;
    for (const platform::LogRecord& record : sim.log().records()) {
        if (record.kind != platform::LogKind::unified) continue;
        EXPECT_EQ(record.subsystem, "com.marlek.Vantrel");
        EXPECT_EQ(record.category, "AudioUnit");
        EXPECT_EQ(record.level, platform::LogLevel::error);
        EXPECT_TRUE(record.text.starts_with(plug)) << record.text;
        lines.emplace_back(record.time, record.text.substr(std::min(record.text.size(), plug.size())));
    }
    return lines;
}

std::vector<std::string> MonitorTestBench::monitorLog() const {
    std::vector<std::string> lines;
    for (auto& [time, text] : timedMonitorLog())
        lines.push_back(std::move(text));
    return lines;
}

std::vector<std::string> MonitorTestBench::systemLog() const {
    return sim.log().texts(platform::LogKind::systemLog);
}

std::vector<ReceivedMessage> MonitorTestBench::messages(Kind kind) const {
    std::vector<ReceivedMessage> found;
    std::ranges::copy_if(received, std::back_inserter(found),
                         [kind](const ReceivedMessage& message) { return message.message.kind == kind; });
    return found;
}

std::vector<platform::TimePoint> MonitorTestBench::heartbeatTimes() const {
    std::vector<platform::TimePoint> times;
    for (const ReceivedMessage& message : messages(Kind::heartbeat))
        times.push_back(message.time);
    return times;
}

std::vector<Bytes> MonitorTestBench::reportedEvents() const {
    std::vector<Bytes> events;
    for (const ReceivedMessage& message : messages(Kind::eventReport))
        events.push_back(message.message.event);
    return events;
}

} // namespace vantrel::monitor::test
