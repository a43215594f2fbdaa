#include "host/scenario/ScenarioTrace.h"

#include <algorithm>

#include "platform/dispatch/DispatchQueue.h"
#include "protocol/ReceiverMessageDecoder.h"

namespace vantrel::host {

void ScenarioTrace::log(const platform::LogRecord& record) {
    // A plug-in that logs on the render thread logs after what it did before in that call.
    if (RenderScope::active()) flushRenderRecords(record.time);
    trace_.write(record.time, platform::describe(record), "");
}

void ScenarioTrace::notification(const platform::Notification& notification) {
    line("notify",
         notification.name + " " + (notification.userInfo ? compactJSON(*notification.userInfo) : "null"));
}

void ScenarioTrace::send(const platform::MIDISendRecord& send) {
    if (RenderScope::active()) {
        recorder_.recordSend(send);
    } else {
        writeSend(send.client, send.destination, send.bytes());
    }
}

platform::AUMIDIOutputEventBlock ScenarioTrace::midiOutput(const std::string& instance) {
    return [this, name = &instance](platform::AUEventSampleTime sampleTime, std::uint8_t cable,
                                    platform::NSInteger length, const std::uint8_t* bytes) -> std::int32_t {
        recorder_.recordOutput(name, sampleTime, cable, length < 0 ? 0 : static_cast<std::size_t>(length),
                               bytes);
        return platform::noErr;
    };
}

void ScenarioTrace::host(const std::string& instance, const std::string& text) {
    line("host", instance + " " + text);
}

void ScenarioTrace::line(std::string_view kind, const std::string& details) {
    trace_.write(platform::dispatchNow(), kind, details);
}

void ScenarioTrace::nameSender(platform::MIDIClientRef client, const std::string& name) {
    std::lock_guard guard(namesMutex_);
    senders_[client] = name;
}

void ScenarioTrace::nameDestination(platform::MIDIEndpointRef destination, const std::string& name) {
    std::lock_guard guard(namesMutex_);
    destinations_[destination] = name;
}

std::string ScenarioTrace::senderName(platform::MIDIClientRef client) {
    {
        std::lock_guard guard(namesMutex_);
        if (const auto found = senders_.find(client); found != senders_.end()) return found->second;
    }
    return platform::MIDIService::current().objectName(client).value_or("client " + std::to_string(client));
}

std::string ScenarioTrace::destinationName(platform::MIDIEndpointRef destination) {
    {
        std::lock_guard guard(namesMutex_);
        if (const auto found = destinations_.find(destination); found != destinations_.end())
            return found->second;
    }
    return platform::MIDIService::current()
        .objectName(destination)
        .value_or("endpoint " + std::to_string(destination));
}

void ScenarioTrace::writeSend(platform::MIDIClientRef client, platform::MIDIEndpointRef destination,
                              std::span<const std::uint8_t> bytes) {
    line("midi", senderName(client) + " -> " + destinationName(destination) + " " +
                     protocol::hexString(bytes) + " | " +
                     protocol::describe(protocol::decodeReceiverMessage(bytes)));
}

void ScenarioTrace::flushRenderRecords(platform::TimePoint time) {
    for (const RenderRecord& record : recorder_.records()) {
        const std::span<const std::uint8_t> bytes(record.bytes.data(),
                                                  std::min(record.length, RenderRecord::capacity));
        if (record.kind == RenderRecord::Kind::midiSend) {
            writeSend(record.client, record.destination, bytes);
        } else {
            trace_.write(time, "out",
                         *record.instance + " " + std::to_string(record.sampleTime) + " " +
                             std::to_string(record.cable) + " " + protocol::hexString(bytes));
        }
    }
    recorder_.clear();
}

} // namespace vantrel::host
