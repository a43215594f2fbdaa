#include "SimulationObserver.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <map>
#include <sstream>
#include <tuple>

#include "MappingModel.h"
#include "MonitorModel.h"
#include "host/scenario/ScenarioObserver.h"
#include "host/script/ScriptParser.h"
#include "meter/common/audiounit/PeakMeter.h"
#include "meter/common/audiounit/TolvaneAudioMeterExtensionAudioUnit.h"
#include "monitor/common/audiounit/VantrelExtensionAudioUnit.h"
#include "platform/Platform.h"
#include "platform/dispatch/DispatchQueue.h"
#include "receiver/MappingFileWriter.h"

namespace vantrel::simulation {

namespace {

template <class... Handlers> struct Overloaded : Handlers... { using Handlers::operator()...; };
// Spelled out for compilers without deduction for aggregates (clang 14).
template <class... Handlers> Overloaded(Handlers...) -> Overloaded<Handlers...>;

platform::MIDIService& midi() {
    return *platform::Platform::current().midi;
}

template <class T> T* entry(std::map<std::size_t, T>& map, std::size_t index) {
    const auto found = map.find(index);
    return found == map.end() ? nullptr : &found->second;
}

std::string name(std::size_t index) {
    return "#" + std::to_string(index);
}

bool receiverFindable() {
    for (platform::ItemCount index = 0; index < platform::MIDIGetNumberOfDestinations(); ++index) {
        std::int32_t uniqueID = 0;
        if (platform::MIDIObjectGetIntegerProperty(platform::MIDIGetDestination(index),
                                                   platform::kMIDIPropertyUniqueID,
                                                   &uniqueID) == platform::noErr &&
            uniqueID == protocol::KVRT)
            return true;
    }
    return false;
}

// Who a log line says wrote it: a monitor ("🔌" and "[Vantrel]" lines) or a meter ("[AudioMeter]"),
// and the uid or instance number it names, if any. The lines' texts are pinned by the scenario
// traces; here they must come from instances alive.
struct LogOrigin {
    bool monitor = false;
    std::optional<std::uint64_t> number;
};

std::optional<std::uint64_t> numberAfter(std::string_view text, std::string_view key) {
    std::size_t at = text.find(key);
    if (at == std::string_view::npos) return std::nullopt;
    at += key.size();
    if (at < text.size() && (text[at] == ' ' || text[at] == '=')) ++at;
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), number);
    return error == std::errc{} ? std::optional(number) : std::nullopt;
}

std::optional<LogOrigin> logOrigin(const platform::LogRecord& record) {
    const std::string_view text = record.text;
    if (record.kind == platform::LogKind::systemLog) {
        if (text.starts_with("[Vantrel] ")) return LogOrigin{true, std::nullopt};
        if (text.starts_with("[AudioMeter] ")) return LogOrigin{false, numberAfter(text, "instance")};
    } else if (record.kind == platform::LogKind::unified && record.subsystem == "com.marlek.Vantrel" &&
               record.category == "AudioUnit" && record.level == platform::LogLevel::error &&
               text.starts_with("🔌 ")) {
        return LogOrigin{true, numberAfter(text, "uid")};
    }
    return std::nullopt;
}

// One event as the host's MIDI output received it.
using PassedEvent = std::tuple<std::int64_t, std::uint8_t, std::vector<std::uint8_t>>; // at, cable, bytes

template <class Unit> struct Hosted {
    std::weak_ptr<Unit> weak;
    bool alive = true; // until the host releases it
    platform::MIDIPortRef port = 0;
    std::shared_ptr<Unit> unit() const { return alive ? weak.lock() : nullptr; }
};

struct Monitor : Hosted<monitor::VantrelExtensionAudioUnit> {
    explicit Monitor(platform::TimePoint created)
        : sending(created), reports(created + firstTickDelay), heartbeats(created) {}
    bool hasClient = false;
    bool passesThrough = false; // render resources allocated with the host's MIDI output
    std::vector<PassedEvent> passed;
    SendingModel sending;
    ReportCheck reports;
    HeartbeatCheck heartbeats;
    // Taken just before a render call.
    bool connected = false;
    protocol::InstanceTag tag{};
};

struct Meter : Hosted<meter::TolvaneAudioMeterExtensionAudioUnit> {
    Meter(std::filesystem::path mappingFile, std::uint8_t instanceID)
        : instanceID(instanceID), mapping(std::move(mappingFile), instanceID) {}
    std::uint8_t instanceID = 0;
    double sampleRate = 44100;
    std::uint32_t windowFrames = 0;
    std::array<float, 2> peaks{};
    std::vector<std::uint8_t> due; // the message that ended the last window
    MappingModel mapping;
    // Taken just before a render call.
    std::uint8_t trackNr = 0;
    bool linked = false;
};

// What the command running now allows to be sent.
struct Context {
    const host::Command* command = nullptr;
    bool inStep = true; // false while virtual time runs
    std::optional<std::size_t> restoring, pressing, rendering;
    bool creating = false;
    platform::MIDIObjectRef newestBefore = 0;
    std::uint32_t uidBefore = 0;
    std::uint32_t audioCall = 0;
    std::vector<std::vector<std::uint8_t>> meterMessages; // sent by the meter rendering
};

class SimulationObserver final : public host::ScenarioObserver {
public:
    SimulationObserver(int settleLine, int quietLine, Coverage& coverage)
        : settleLine_(settleLine), quietLine_(quietLine), coverage_(coverage) {}

    CheckedRun finish() {
        if (!settled_) settle();
        checkReleased();
        if (quiet_ && happenedSinceQuiet_ != 0)
            fail(std::to_string(happenedSinceQuiet_) +
                 " log lines and sends after every instance was released");
        if (failedLine_ == 0 && !violations_.empty())
            failedLine_ = quietLine_, firstCount_ = violations_.size();
        violations_.resize(firstCount_);
        return {violations_, failedLine_};
    }

    void beforeCommand(const host::ScriptLine& line) override {
        if (!settled_ && line.lineNumber > settleLine_) settle();
        if (!quiet_ && line.lineNumber > quietLine_) quiet_ = true, happenedSinceQuiet_ = 0;
        context_ = Context{};
        context_.command = &line.command;
        const platform::TimePoint now = platform::dispatchNow();
        const auto receiver = [&](bool up) {
            if (std::exchange(receiverUp_, up) != up) setupChangeQueued();
        };
        std::visit(Overloaded{
                       [&](const host::CreateCommand&) {
                           context_.creating = true;
                           context_.newestBefore = midi().newestObject();
                       },
                       [&](const host::RestoreCommand& c) {
                           context_.restoring = c.instance.index;
                           const Monitor* monitor = entry(monitors_, c.instance.index);
                           if (const auto unit = monitor ? monitor->unit() : nullptr)
                               context_.uidBefore = unit->uniqueID();
                       },
                       [&](const host::PressCommand& c) { context_.pressing = c.instance.index; },
                       [&](const host::AdvanceCommand& c) { advancing(c.duration); },
                       [&](const host::ReceiverUpCommand&) { receiver(true); },
                       [&](const host::ReceiverDownCommand&) { receiver(false); },
                       [&](const host::DestinationAddCommand&) { setupChangeQueued(); },
                       [&](const host::DestinationRemoveCommand&) { setupChangeQueued(); },
                       [&](const host::MIDINotificationCommand& c) {
                           if (c.messageID == platform::kMIDIMsgSetupChanged) setupChangeQueued();
                       },
                       [&](const host::MIDIFailSendsCommand& c) { faults_.armFailures(c.count > 0, now); },
                       [&](const host::MIDIThrowSendsCommand& c) { faults_.armThrows(c.count > 0, now); },
                       [](const auto&) {},
                   },
                   line.command);
    }

    void afterCommand(const host::ScriptLine& line) override {
        std::visit(Overloaded{
                       [&](const host::AdvanceCommand&) {
                           context_.inStep = true;
                           for (auto& [index, monitor] : monitors_)
                               monitor.reports.closeBatch(faults_, violations_);
                           checkReleased();
                       },
                       [&](const host::ReleaseCommand& c) { release(c.instance.index); },
                       [&](const host::RestoreCommand& c) { restored(c.instance.index, c); },
                       [&](const host::AllocateCommand& c) { allocated(c.instance.index, c); },
                       [&](const host::DeallocateCommand& c) {
                           if (Monitor* monitor = entry(monitors_, c.instance.index))
                               monitor->passesThrough = false;
                       },
                       [](const auto&) {},
                   },
                   line.command);
        context_ = Context{};
        if (failedLine_ == 0 && !violations_.empty())
            failedLine_ = line.lineNumber, firstCount_ = violations_.size();
    }

    void created(const host::InstanceRef& instance,
                 const std::shared_ptr<platform::AUAudioUnit>& unit) override {
        const std::size_t index = instance.index;
        if (const auto monitorUnit = std::dynamic_pointer_cast<monitor::VantrelExtensionAudioUnit>(unit)) {
            Monitor& monitor = monitors_.try_emplace(index, platform::dispatchNow()).first->second;
            monitor.weak = monitorUnit;
            // The unit keeps its MIDI handles to itself; its port is among the handles made meanwhile.
            const platform::MIDIObjectRef newest = midi().newestObject();
            monitor.hasClient = newest != context_.newestBefore;
            for (platform::MIDIObjectRef object = context_.newestBefore + 1; object <= newest; ++object) {
                if (midi().clientOfPort(object) != 0) monitor.port = object;
            }
            if (monitor.port != 0) ports_[monitor.port] = index;
        } else {
            const auto meterUnit =
                std::dynamic_pointer_cast<meter::TolvaneAudioMeterExtensionAudioUnit>(unit);
            const auto& support = *platform::Platform::current().applicationSupportDirectory;
            Meter& meter =
                meters_.try_emplace(index, receiver::mappingFilePath(support), meterUnit->instanceID())
                    .first->second;
            meter.weak = meterUnit;
            meter.port = meterUnit->midiOutputPort();
            if (meter.port != 0) ports_[meter.port] = index;
            if (const auto outputs = meterUnit->outputBusses(); outputs && outputs->count() > 0)
                meter.sampleRate = (*outputs)[0]->format()->sampleRate();
        }
    }

    void rendering(const host::InstanceRef& instance) override {
        context_.rendering = instance.index;
        context_.meterMessages.clear();
        if (Monitor* monitor = entry(monitors_, instance.index)) {
            const auto unit = monitor->unit();
            monitor->connected = unit && unit->isConnected();
            monitor->tag = protocol::makeInstanceTag(unit ? unit->uniqueID() : 0);
            monitor->passed.clear();
        } else if (Meter* meter = entry(meters_, instance.index)) {
            const auto unit = meter->weak.lock();
            meter->trackNr = unit ? unit->trackNr() : 0;
            const platform::MIDIEndpointRef destination = unit ? unit->targetDestination() : 0;
            std::int32_t ignored = 0;
            meter->linked =
                unit && meter->alive && unit->midiOutputPort() != 0 && destination != 0 &&
                platform::MIDIObjectGetIntegerProperty(destination, platform::kMIDIPropertyUniqueID,
                                                       &ignored) != platform::kMIDIObjectNotFound &&
                !faults_.open();
        }
    }

    void output(const host::InstanceRef& instance, platform::AUEventSampleTime sampleTime, std::uint8_t cable,
                std::span<const std::uint8_t> bytes) override {
        if (Monitor* monitor = entry(monitors_, instance.index))
            monitor->passed.emplace_back(sampleTime, cable, std::vector(bytes.begin(), bytes.end()));
    }

    void rendered(const host::InstanceRef& instance, const platform::AudioBufferList& buffers,
                  platform::OSStatus status) override {
        if (Monitor* monitor = entry(monitors_, instance.index)) {
            renderedMIDI(instance.index, *monitor, status);
        } else if (Meter* meter = entry(meters_, instance.index)) {
            renderedAudio(instance.index, *meter, buffers, status);
            ++context_.audioCall;
        }
        context_.rendering.reset();
    }

    void send(const platform::MIDISendRecord& record) override {
        faults_.delivered(platform::dispatchNow());
        ++happenedSinceQuiet_;
        const std::vector<std::uint8_t> bytes = record.bytes();
        const auto found = ports_.find(record.port);
        if (found == ports_.end())
            return fail("a send from a port no live instance owns: " + protocol::hexString(bytes));
        const std::size_t index = found->second;
        if (Monitor* monitor = entry(monitors_, index)) return monitorSent(index, *monitor, bytes);
        const protocol::ReceiverMessage message = protocol::decodeReceiverMessage(bytes);
        if (message.kind != protocol::ReceiverMessage::Kind::peakMeter ||
            message.instanceID != meters_.at(index).instanceID) {
            fail("meter " + name(index) + " sent " + protocol::hexString(bytes));
        } else if (context_.rendering != index) {
            fail("meter " + name(index) + " sent outside its own render call");
        } else {
            context_.meterMessages.push_back(bytes);
        }
    }

    void log(const platform::LogRecord& record) override {
        ++happenedSinceQuiet_;
        if (record.text.starts_with("[AudioMeter] Mapping gelesen")) ++coverage_.tracksFromMapping;
        const auto origin = logOrigin(record);
        if (!origin) {
            fail("not one of the system's log lines: " + platform::describe(record));
        } else if (!originAlive(*origin)) {
            fail("a log line of an instance that is gone: " + platform::describe(record));
        }
    }

private:
    void fail(const std::string& message) { violations_.push_back(message); }

    void setupChangeQueued() {
        for (auto& [index, monitor] : monitors_) {
            if (monitor.alive && monitor.hasClient) monitor.sending.setupChangeQueued();
        }
    }

    void advancing(platform::Duration duration) {
        const platform::TimePoint from = platform::dispatchNow();
        const bool findable = receiverFindable();
        for (auto& [index, monitor] : monitors_) {
            if (monitor.alive) monitor.sending.advance(from, from + duration, findable);
        }
        context_.inStep = false;
    }

    void settle() {
        settled_ = true;
        for (auto& [index, monitor] : monitors_) {
            if (monitor.alive && monitor.port != 0)
                monitor.reports.settle(platform::dispatchNow(), faults_, violations_);
            coverage_.queueOverflows += monitor.reports.overflows;
            coverage_.timerHeartbeats += monitor.heartbeats.timerHeartbeats;
        }
    }

    void release(std::size_t index) {
        if (Monitor* monitor = entry(monitors_, index); monitor && monitor->alive) {
            monitor->reports.closeBatch(faults_, violations_); // what was still queued goes with it
            monitor->alive = false;
            releasing_.push_back({index, monitor->weak, monitor->port});
        } else if (Meter* meter = entry(meters_, index); meter && meter->alive) {
            meter->alive = false;
            releasing_.push_back({index, meter->weak, meter->port});
        }
    }

    // Work the instance queued on the main queue may hold it until that work has run.
    void checkReleased() {
        for (const Releasing& released : releasing_) {
            if (!released.unit.expired())
                fail("instance " + name(released.index) + " outlived its release by the host");
            if (released.port != 0 && midi().clientOfPort(released.port) != 0)
                fail("instance " + name(released.index) + " left its MIDI port behind");
            ports_.erase(released.port);
        }
        releasing_.clear();
    }

    void restored(std::size_t index, const host::RestoreCommand& command) {
        if (const Monitor* monitor = entry(monitors_, index)) {
            const auto unit = monitor->unit();
            if (!unit) return;
            const platform::Value* saved =
                command.state ? platform::member(*command.state, "qvUniqueID") : nullptr;
            const auto restoredUid = saved ? platform::unsignedIntValue(*saved) : std::nullopt;
            const std::uint32_t expected =
                restoredUid && *restoredUid != 0 ? *restoredUid : context_.uidBefore;
            if (unit->uniqueID() != expected)
                fail("monitor " + name(index) + " has uid " + std::to_string(unit->uniqueID()) +
                     " after a restore, not " + std::to_string(expected));
        } else if (Meter* meter = entry(meters_, index); meter && meter->unit()) {
            meter->mapping.restored(meter->unit()->trackNr(), meter->unit()->trackName());
        }
    }

    void allocated(std::size_t index, const host::AllocateCommand& command) {
        // A failed allocation keeps what the instance had.
        if (command.fail) return;
        if (Monitor* monitor = entry(monitors_, index)) {
            if (const auto unit = monitor->unit())
                monitor->passesThrough = unit->renderResourcesAllocated() && !command.noOutput;
        } else if (Meter* meter = entry(meters_, index); meter && meter->unit()) {
            meter->mapping.allocated();
            checkTrack(index, *meter);
        }
    }

    // The MIDI events of 1 to 3 bytes pass through, in order, as they went in.
    void renderedMIDI(std::size_t index, Monitor& monitor, platform::OSStatus status) {
        const auto& command = std::get<host::MIDIInCommand>(*context_.command);
        if (status != platform::noErr)
            fail("monitor " + name(index) + "'s render call returned " + std::to_string(status));
        // A render block the host kept works as long as its unit exists, released or not.
        const auto unit = monitor.weak.lock();
        const std::span<const host::ScriptEvent> events =
            command.nullList ? std::span<const host::ScriptEvent>{} : std::span(command.events);
        std::vector<PassedEvent> expected;
        for (const host::ScriptEvent& event : events) {
            if (unit && monitor.passesThrough && event.type == platform::AURenderEventMIDI &&
                !event.bytes.empty() && event.bytes.size() <= 3)
                expected.emplace_back(event.sampleTime, event.cable, event.bytes);
        }
        if (monitor.passed != expected)
            fail("monitor " + name(index) + " passed through " + std::to_string(monitor.passed.size()) +
                 " events, not the " + std::to_string(expected.size()) + " MIDI events that went in");
        coverage_.passedThrough += monitor.passed.size();
        if (!monitor.alive || !monitor.sending.enabled() || !monitor.connected) return;
        for (const host::ScriptEvent& event : events)
            monitor.reports.rendered(event, monitor.tag, platform::dispatchNow());
    }

    // The buffers hold exactly what the pull-input block put there, bit for bit (nothing when it was
    // not to be called); the peaks of each window, NaNs ignored, go out in one message.
    void renderedAudio(std::size_t index, Meter& meter, const platform::AudioBufferList& buffers,
                       platform::OSStatus status) {
        const auto& command = std::get<host::AudioCommand>(*context_.command);
        const auto input = [&](std::uint32_t buffer, std::uint32_t frame) {
            const std::uint64_t at = std::uint64_t{context_.audioCall} * command.frames + frame;
            return (buffer == 0 ? command.left : command.right).sampleAt(at, meter.sampleRate);
        };
        const std::string who = "meter " + name(index);
        const bool pulled = !meter.weak.expired() && command.pull;
        const platform::OSStatus expectedStatus = pulled ? command.pullStatus : platform::noErr;
        if (status != expectedStatus)
            fail(who + "'s render call returned " + std::to_string(status) + ", not " +
                 std::to_string(expectedStatus));
        const bool pulledSuccessfully = pulled && command.pullStatus == platform::noErr;
        bool intact = buffers.mNumberBuffers == command.buffers;
        for (std::uint32_t buffer = 0; buffer < buffers.mNumberBuffers; ++buffer) {
            const auto* samples = static_cast<const float*>(buffers.mBuffers[buffer].mData);
            for (std::uint32_t frame = 0; frame < command.frames; ++frame) {
                const float in = pulledSuccessfully ? input(buffer, frame) : 0.0f;
                intact = intact &&
                         std::bit_cast<std::uint32_t>(samples[frame]) == std::bit_cast<std::uint32_t>(in);
                if (!std::isnan(in)) meter.peaks[buffer] = std::max(meter.peaks[buffer], std::fabs(in));
            }
        }
        if (!intact) fail(who + "'s output buffers differ from its input, bit for bit");

        const bool due = pulledSuccessfully && (meter.windowFrames += command.frames) >= meterSendInterval;
        if (due) {
            const std::uint8_t left = meter::meterValue(meter.peaks[0]),
                               right = meter::meterValue(meter.peaks[1]);
            meter.due = {0xF0, 0x7E, meter.instanceID, meter.trackNr, left, right, 0xF7};
            meter.windowFrames = 0;
            meter.peaks = {};
            meter.mapping.sent();
        }
        if (meter.unit()) checkTrack(index, meter);
        const auto& sent = context_.meterMessages;
        coverage_.peakMessages += sent.size();
        if (sent.size() > 1 || (!sent.empty() && !due)) {
            fail(who + " sent " + std::to_string(sent.size()) + " messages in a call that " +
                 (due ? "ends" : "does not end") + " a window");
        } else if (!sent.empty() && sent.front() != meter.due) {
            fail(who + " sent " + protocol::hexString(sent.front()) + ", not " +
                 protocol::hexString(meter.due));
        } else if (sent.empty() && due && meter.linked) {
            fail(who + " sent nothing at the end of a window while linked");
        }
    }

    void checkTrack(std::size_t index, const Meter& meter) {
        const auto unit = meter.unit();
        if (const auto difference = meter.mapping.difference(unit->trackNr(), unit->trackName()))
            fail("meter " + name(index) + " " + *difference);
    }

    void monitorSent(std::size_t index, Monitor& monitor, const std::vector<std::uint8_t>& bytes) {
        using Kind = protocol::ReceiverMessage::Kind;
        const protocol::ReceiverMessage message = protocol::decodeReceiverMessage(bytes);
        const std::string who = "monitor " + name(index) + " sent ";
        const auto unit = monitor.unit();
        const std::uint32_t uid = unit ? unit->uniqueID() : 0;
        switch (message.kind) {
        case Kind::heartbeat:
            if (message.uid != uid) fail(who + "a Heartbeat for uid " + std::to_string(message.uid));
            return monitor.heartbeats.arrived(platform::dispatchNow(), context_.inStep,
                                              context_.restoring == index, violations_);
        case Kind::connectRequest:
        case Kind::disconnectRequest:
            if (context_.pressing != index || message.uid != uid)
                fail(who + "a connect or disconnect request nobody asked for: " + protocol::hexString(bytes));
            return;
        case Kind::eventReport:
            if (context_.inStep) fail(who + "a report outside its timer: " + protocol::hexString(bytes));
            monitor.reports.arrived(bytes, platform::dispatchNow(), faults_, violations_);
            ++coverage_.reportsArrived;
            return;
        default:
            return fail(who + "a message of no known form: " + protocol::hexString(bytes));
        }
    }

    // Lines written while an instance is made come before the host knows it.
    bool originAlive(const LogOrigin& origin) const {
        if (context_.creating) return true;
        if (origin.monitor) {
            return std::ranges::any_of(monitors_, [&](const auto& entry) {
                const auto unit = entry.second.unit();
                return unit && (!origin.number || unit->uniqueID() == *origin.number);
            });
        }
        return std::ranges::any_of(meters_, [&](const auto& entry) {
            return entry.second.alive && (!origin.number || entry.second.instanceID == *origin.number);
        });
    }

    int settleLine_;
    int quietLine_;
    bool settled_ = false;
    bool quiet_ = false;
    std::vector<std::string> violations_;
    int failedLine_ = 0;
    std::size_t firstCount_ = 0; // violations up to the end of the first command that failed
    Coverage& coverage_;
    Context context_;
    FaultWindows faults_;
    bool receiverUp_ = false;
    std::map<std::size_t, Monitor> monitors_; // created successfully, by instance index
    std::map<std::size_t, Meter> meters_;
    std::map<platform::MIDIPortRef, std::size_t> ports_;
    struct Releasing {
        std::size_t index;
        std::weak_ptr<platform::AUAudioUnit> unit;
        platform::MIDIPortRef port;
    };
    std::vector<Releasing> releasing_;   // released by the host since the last advance
    std::size_t happenedSinceQuiet_ = 0; // log lines and sends
};

int lineOf(const std::string& text, std::string_view mark) {
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (line == mark) return number;
    }
    return INT_MAX;
}

} // namespace

CheckedRun runChecked(const std::string& text, host::RunOptions options, Coverage& coverage) {
    const host::Script script = host::parseScript(text);
    SimulationObserver observer(lineOf(text, settleMark), lineOf(text, quietMark), coverage);
    options.observer = &observer;
    host::runScenario(script, options);
    return observer.finish();
}

} // namespace vantrel::simulation
