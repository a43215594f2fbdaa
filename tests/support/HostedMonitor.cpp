#include "support/HostedMonitor.h"

#include <algorithm>

#include "support/PluginComponents.h"

namespace vantrel::test {

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

const platform::AURenderEvent* EventList::head() {
    for (std::size_t index = 0; index < events_.size(); ++index)
        events_[index].head.next = index + 1 < events_.size() ? &events_[index + 1] : nullptr;
    return events_.empty() ? nullptr : events_.data();
}

platform::AUAudioUnitStatus render(const platform::AUInternalRenderBlock& block,
                                   const platform::AURenderEvent* head) {
    platform::AudioUnitRenderActionFlags flags = 0;
    const platform::AudioTimeStamp timestamp{};
    return block(&flags, &timestamp, 512, 0, nullptr, head, {});
}

HostedMonitor::HostedMonitor() {
    sim.midi().setSendObserver([this](const platform::MIDISendRecord& record) {
        sent.push_back({sim.now(), record.destination, protocol::decodeReceiverMessage(record.bytes())});
        if (onSend) onSend(sent.back());
    });
}

std::shared_ptr<monitor::VantrelExtensionAudioUnit> HostedMonitor::createUnit() {
    return monitor::VantrelExtensionAudioUnit::create(monitorComponent());
}

std::shared_ptr<monitor::VantrelExtensionAudioUnit> HostedMonitor::createRenderingUnit() {
    auto unit = createUnit();
    unit->setMIDIOutputEventBlock([this](platform::AUEventSampleTime sampleTime, std::uint8_t cable,
                                         platform::NSInteger length, const std::uint8_t* bytes) {
        passed.push_back({sampleTime, cable, Bytes(bytes, bytes + length)});
        return std::int32_t{0};
    });
    unit->allocateRenderResources();
    return unit;
}

void HostedMonitor::post(const std::string& name, std::optional<platform::Dictionary> userInfo) {
    sim.notifications().post(name, std::move(userInfo));
    sim.runDue();
}

void HostedMonitor::connect(const monitor::VantrelExtensionAudioUnit& unit, const std::string& trackName) {
    post(vantrel::receiver::kConnectNotification,
         platform::Dictionary{{"uid", unit.uniqueID()}, {"trackName", trackName}});
}

std::vector<std::pair<platform::TimePoint, std::string>> HostedMonitor::timedMonitorLog() const {
    static constexpr std::string_view plug = "🔌 ";
    std::vector<std::pair<platform::TimePoint, std::string>> lines;
    for (const platform::LogRecord& record : sim.log().records()) {
        if (record.kind != platform::LogKind::unified) continue;
        const bool monitors = record.subsystem == "com.marlek.Vantrel" && record.category == "AudioUnit" &&
                              record.level == platform::LogLevel::error && record.text.starts_with(plug);
        lines.emplace_back(record.time,
                           monitors ? record.text.substr(plug.size()) : platform::describe(record));
    }
    return lines;
}

std::vector<std::string> HostedMonitor::monitorLog() const {
    std::vector<std::string> lines;
    for (auto& [time, text] : timedMonitorLog())
        lines.push_back(std::move(text));
    return lines;
}

std::vector<std::string> HostedMonitor::systemLog() const {
    return sim.log().texts(platform::LogKind::systemLog);
}

std::vector<SentMessage> HostedMonitor::messages(Kind kind) const {
    std::vector<SentMessage> found;
    std::ranges::copy_if(sent, std::back_inserter(found),
                         [kind](const SentMessage& message) { return message.message.kind == kind; });
    return found;
}

std::vector<platform::TimePoint> HostedMonitor::heartbeatTimes() const {
    std::vector<platform::TimePoint> times;
    for (const SentMessage& message : messages(Kind::heartbeat))
        times.push_back(message.time);
    return times;
}

} // namespace vantrel::test
