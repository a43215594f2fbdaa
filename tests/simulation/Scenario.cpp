#include "Scenario.h"

#include <sstream>

namespace vantrel::simulation {

namespace {

template <class... Handlers> struct Overloaded : Handlers... { using Handlers::operator()...; };
// Spelled out for compilers without deduction for aggregates (clang 14).
template <class... Handlers> Overloaded(Handlers...) -> Overloaded<Handlers...>;

std::string slot(Slot slot) {
    return "#" + std::to_string(slot);
}

std::string json(const std::optional<platform::Value>& value) {
    if (!value) return "none";
    return value->dump(-1, ' ', true, platform::Value::error_handler_t::replace);
}

std::string event(const SimEvent& event) {
    std::ostringstream text;
    text << std::hex << std::uppercase << "type=" << int{event.type} << " len=" << event.length
         << " data=" << int{event.data[0]} << "," << int{event.data[1]} << "," << int{event.data[2]}
         << std::dec << " at=" << event.sampleTime << " cable=" << int{event.cable};
    return text.str();
}

} // namespace

std::string describe(const Step& step) {
    return std::visit(
        Overloaded{
            [](const CreateStep& s) {
                return std::string(s.kind == InstanceKind::monitor ? "create monitor" : "create meter");
            },
            [](const ReleaseStep& s) { return "release " + slot(s.slot); },
            [](const ReleaseAllStep&) { return std::string("release all"); },
            [](const FailNextCreateStep& s) {
                return std::string("fail-next-create ") + (s.bus ? "bus" : "base");
            },
            [](const FailMIDICreateStep& s) {
                return std::string(s.port ? "midi fail-port" : "midi fail-client") +
                       " status=" + std::to_string(s.status);
            },
            [](const RestoreStep& s) {
                return "restore " + slot(s.slot) + " " +
                       (s.savedFrom ? "saved from " + slot(*s.savedFrom) : json(s.state));
            },
            [](const SaveStep& s) { return "save " + slot(s.slot); },
            [](const AllocateStep& s) {
                return "allocate " + slot(s.slot) + (s.noOutput ? " no-output" : "") +
                       (s.fail ? " fail" : "");
            },
            [](const DeallocateStep& s) { return "deallocate " + slot(s.slot); },
            [](const RenderBlockStep& s) { return "read render block " + slot(s.slot); },
            [](const MIDIInStep& s) {
                std::string text = "midi-in " + slot(s.slot) + (s.nullList ? " null-list" : "") + " " +
                                   std::to_string(s.events.size()) + " events";
                for (std::size_t i = 0; i < s.events.size() && i < 4; ++i)
                    text += "; " + event(s.events[i]);
                return text + (s.events.size() > 4 ? "; ..." : "");
            },
            [](const AudioStep& s) {
                std::string text = "audio " + slot(s.slot) + " calls=" + std::to_string(s.calls) +
                                   " frames=" + std::to_string(s.frames) + " buffers=";
                for (const BufferShape& buffer : s.buffers)
                    text += (buffer.hasData ? std::to_string(buffer.capacity) : std::string("null")) + ",";
                return text + " samples=" + std::to_string(s.sampleSeed) + (s.pull ? "" : " no-pull") +
                       " pull-status=" + std::to_string(s.pullStatus);
            },
            [](const ReceiverUpStep&) { return std::string("receiver up"); },
            [](const ReceiverDownStep&) { return std::string("receiver down"); },
            [](const AutoConnectStep& s) {
                return "receiver auto-connect " + json(platform::Value(s.tracks));
            },
            [](const DestinationAddStep& s) {
                return "destination add uid=" + std::to_string(s.uniqueID) +
                       (s.unreadable ? " unreadable" : "");
            },
            [](const DestinationRemoveStep& s) { return "destination remove " + std::to_string(s.which); },
            [](const UnreadableStep& s) {
                return std::string(s.unreadable ? "unreadable " : "readable ") +
                       (s.which ? "destination " + std::to_string(*s.which) : std::string("receiver"));
            },
            [](const MIDINotifyStep& s) { return "midi message " + std::to_string(s.messageID); },
            [](const FailSendsStep& s) {
                return "midi fail-sends " + std::to_string(s.count) + " status=" + std::to_string(s.status);
            },
            [](const ThrowSendsStep& s) { return "midi throw-sends " + std::to_string(s.count); },
            [](const NotifyStep& s) {
                return "notify " + s.name + " " + json(s.userInfo) +
                       (s.uidOf ? " uid of " + slot(*s.uidOf) : "");
            },
            [](const PressStep& s) {
                return "press " + slot(s.slot) + (s.marker == 1 ? " connect" : " disconnect");
            },
            [](const MappingWriteStep& s) {
                std::string text = "mapping write" + std::string(s.keepDate ? " mtime=keep " : " ");
                if (s.raw) return text + json(platform::Value(*s.raw));
                for (const auto& [key, value] : s.entries) {
                    text += (std::holds_alternative<Slot>(key)
                                 ? "id of " + slot(std::get<Slot>(key))
                                 : json(platform::Value(std::get<std::string>(key)))) +
                            ": " + json(value) + "; ";
                }
                return text;
            },
            [](const MappingRemoveStep&) { return std::string("mapping remove"); },
            [](const AdvanceStep& s) {
                return "advance " + std::to_string(static_cast<double>(s.duration.count()) / 1e6) + "ms";
            },
            [](const SettleStep&) { return std::string("settle: everything queued has arrived"); },
            [](const QuietStep&) { return std::string("quiet: nothing happened since the release"); },
        },
        step);
}

} // namespace vantrel::simulation
