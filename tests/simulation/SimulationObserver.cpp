#include "SimulationObserver.h"

#include <algorithm>

#include "receiver/MappingFileWriter.h"
#include "platform/Platform.h"
#include "platform/dispatch/DispatchQueue.h"
#include "protocol/ReceiverMessageDecoder.h"

namespace vantrel::simulation {

namespace {

template <class... Handlers> struct Overloaded : Handlers... { using Handlers::operator()...; };
// Spelled out for compilers without deduction for aggregates (clang 14).
template <class... Handlers> Overloaded(Handlers...) -> Overloaded<Handlers...>;

platform::MIDIService& midi() {
    return *platform::Platform::current().midi;
}

std::string name(std::size_t index) {
    return "#" + std::to_string(index);
}

std::string describe(const PassedEvent& event) {
    return protocol::hexString(event.bytes) + " at " + std::to_string(event.sampleTime) + " cable " +
           std::to_string(event.cable);
}

bool receiverFindable() {
    const platform::ItemCount count = platform::MIDIGetNumberOfDestinations();
    for (platform::ItemCount index = 0; index < count; ++index) {
        std::int32_t uniqueID = 0;
        if (platform::MIDIObjectGetIntegerProperty(platform::MIDIGetDestination(index),
                                                   platform::kMIDIPropertyUniqueID,
                                                   &uniqueID) == platform::noErr &&
            uniqueID == protocol::KVRT)
            return true;
    }
    return false;
}

} // namespace

Coverage& Coverage::operator+=(const Coverage& other) {
    reportsArrived += other.reportsArrived;
    queueOverflows += other.queueOverflows;
    timerHeartbeats += other.timerHeartbeats;
    peakMessages += other.peakMessages;
    passedThrough += other.passedThrough;
    tracksFromMapping += other.tracksFromMapping;
    return *this;
}

void SimulationObserver::beforeCommand(const host::ScriptLine& line) {
    if (!settled_ && line.lineNumber > settleLine_) settle();
    if (!quiet_ && line.lineNumber > quietLine_) {
        quiet_ = true;
        happenedSinceQuiet_ = 0;
    }
    context_ = Context{};
    context_.command = &line.command;
    const platform::TimePoint now = platform::dispatchNow();
    std::visit(Overloaded{
                   [&](const host::CreateCommand&) {
                       context_.creating = true;
                       context_.newestBefore = midi().newestObject();
                   },
                   [&](const host::RestoreCommand& c) {
                       context_.restoring = c.instance.index;
                       if (const auto found = monitors_.find(c.instance.index); found != monitors_.end()) {
                           if (const auto unit = found->second.unit()) context_.uidBefore = unit->uniqueID();
                       }
                   },
                   [&](const host::PressCommand& c) { context_.pressing = c.instance.index; },
                   [&](const host::AdvanceCommand& c) { advancing(c.duration); },
                   [&](const host::ReceiverUpCommand&) {
                       if (!std::exchange(receiverUp_, true)) setupChangeQueued();
                   },
                   [&](const host::ReceiverDownCommand&) {
                       if (std::exchange(receiverUp_, false)) setupChangeQueued();
                   },
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

void SimulationObserver::afterCommand(const host::ScriptLine& line) {
    std::visit(Overloaded{
                   [&](const host::AdvanceCommand&) {
                       context_.inStep = true;
                       for (auto& [index, monitor] : monitors_)
                           monitor.reports.closeBatch(faults_, violations_);
                       checkReleased();
                   },
                   [&](const host::ReleaseCommand& c) { release(c.instance.index); },
                   [&](const host::RestoreCommand& c) { restored(c.instance.index); },
                   [&](const host::AllocateCommand& c) { allocated(c.instance.index, c); },
                   [&](const host::DeallocateCommand& c) {
                       if (const auto found = monitors_.find(c.instance.index); found != monitors_.end())
                           found->second.passesThrough = false;
                   },
                   [](const auto&) {},
               },
               line.command);
    context_ = Context{};
    if (!violations_.empty() && failedLine_ == 0) {
        failedLine_ = line.lineNumber;
        firstViolations_ = violations_;
    }
}

void SimulationObserver::finish() {
    if (!settled_) settle();
    checkReleased();
    if (quiet_ && happenedSinceQuiet_ != 0)
        fail(std::to_string(happenedSinceQuiet_) + " log lines and sends after every instance was released");
    if (!violations_.empty() && failedLine_ == 0) {
        failedLine_ = quietLine_;
        firstViolations_ = violations_;
    }
}

// The receiver and other destinations, and time.

void SimulationObserver::setupChangeQueued() {
    for (auto& [index, monitor] : monitors_) {
        if (monitor.alive && monitor.hasClient) monitor.sending.setupChangeQueued();
    }
}

void SimulationObserver::advancing(platform::Duration duration) {
    const platform::TimePoint from = platform::dispatchNow();
    const bool findable = receiverFindable();
    for (auto& [index, monitor] : monitors_) {
        if (monitor.alive) monitor.sending.advance(from, from + duration, findable);
    }
    context_.inStep = false;
}

void SimulationObserver::settle() {
    settled_ = true;
    for (auto& [index, monitor] : monitors_) {
        if (monitor.alive && monitor.port != 0)
            monitor.reports.settle(platform::dispatchNow(), faults_, violations_);
        coverage_.queueOverflows += monitor.reports.overflows();
        coverage_.timerHeartbeats += monitor.heartbeats.timerHeartbeats();
    }
}

// The host's side: creating, restoring, allocating and releasing instances.

void SimulationObserver::created(const host::InstanceRef& instance,
                                 const std::shared_ptr<platform::AUAudioUnit>& unit) {
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
        if (monitorUnit->uniqueID() == 0) fail("monitor " + name(index) + " was created with uid 0");
    } else if (const auto meterUnit =
                   std::dynamic_pointer_cast<meter::TolvaneAudioMeterExtensionAudioUnit>(unit)) {
        const auto& support = *platform::Platform::current().applicationSupportDirectory;
        Meter& meter =
            meters_.try_emplace(index, receiver::mappingFilePath(support), meterUnit->instanceID()).first->second;
        meter.weak = meterUnit;
        meter.port = meterUnit->midiOutputPort();
        if (meter.port != 0) ports_[meter.port] = index;
        if (const auto outputs = meterUnit->outputBusses(); outputs && outputs->count() > 0)
            meter.sampleRate = (*outputs)[0]->format()->sampleRate();
    } else {
        fail("instance " + name(index) + " is neither plug-in");
    }
}

void SimulationObserver::release(std::size_t index) {
    if (const auto found = monitors_.find(index); found != monitors_.end() && found->second.alive) {
        // What was still queued goes with the instance.
        found->second.reports.closeBatch(faults_, violations_);
        found->second.alive = false;
        releasing_.push_back({index, found->second.weak, found->second.port});
    } else if (const auto meter = meters_.find(index); meter != meters_.end() && meter->second.alive) {
        meter->second.alive = false;
        releasing_.push_back({index, meter->second.weak, meter->second.port});
    }
}

// Work the instance queued on the main queue may hold it until that work has run.
void SimulationObserver::checkReleased() {
    for (const Releasing& released : releasing_) {
        if (!released.unit.expired())
            fail("instance " + name(released.index) + " outlived its release by the host");
        if (released.port != 0 && midi().clientOfPort(released.port) != 0)
            fail("instance " + name(released.index) + " left its MIDI port behind");
        ports_.erase(released.port);
    }
    releasing_.clear();
}

void SimulationObserver::restored(std::size_t index) {
    const auto& state = std::get<host::RestoreCommand>(*context_.command).state;
    if (const auto found = monitors_.find(index); found != monitors_.end()) {
        const auto unit = found->second.unit();
        if (!unit) return;
        const platform::Value* saved = state ? platform::member(*state, "qvUniqueID") : nullptr;
        const auto restoredUid = saved ? platform::unsignedIntValue(*saved) : std::nullopt;
        const std::uint32_t expected = restoredUid && *restoredUid != 0 ? *restoredUid : context_.uidBefore;
        if (unit->uniqueID() != expected)
            fail("monitor " + name(index) + " has uid " + std::to_string(unit->uniqueID()) +
                 " after a restore, not " + std::to_string(expected));
    } else if (const auto meter = meters_.find(index); meter != meters_.end()) {
        const auto unit = meter->second.unit();
        if (!unit) return;
        if (unit->trackNr() > 127) fail("meter " + name(index) + " restored a track number above 127");
        meter->second.mapping.restored(unit->trackNr(), unit->trackName());
    }
}

void SimulationObserver::allocated(std::size_t index, const host::AllocateCommand& command) {
    if (const auto found = monitors_.find(index); found != monitors_.end()) {
        // A failed allocation keeps what the instance had.
        if (const auto unit = found->second.unit(); unit && !command.fail)
            found->second.passesThrough = unit->renderResourcesAllocated() && !command.noOutput;
    } else if (const auto meter = meters_.find(index); meter != meters_.end()) {
        const auto unit = meter->second.unit();
        if (!unit || command.fail) return;
        meter->second.mapping.allocated();
        checkTrack(index, meter->second);
    }
}

// Render calls.

void SimulationObserver::rendering(const host::InstanceRef& instance) {
    context_.rendering = instance.index;
    context_.meterMessages.clear();
    if (const auto found = monitors_.find(instance.index); found != monitors_.end()) {
        Monitor& monitor = found->second;
        const auto unit = monitor.unit();
        monitor.connected = unit && unit->isConnected();
        monitor.tag = protocol::makeInstanceTag(unit ? unit->uniqueID() : 0);
        monitor.passed.clear();
    } else if (const auto meter = meters_.find(instance.index); meter != meters_.end()) {
        const auto unit = meter->second.weak.lock();
        meter->second.trackNr = unit ? unit->trackNr() : 0;
        const platform::MIDIEndpointRef destination = unit ? unit->targetDestination() : 0;
        std::int32_t ignored = 0;
        meter->second.linked =
            unit && meter->second.alive && unit->midiOutputPort() != 0 && destination != 0 &&
            platform::MIDIObjectGetIntegerProperty(destination, platform::kMIDIPropertyUniqueID, &ignored) !=
                platform::kMIDIObjectNotFound &&
            !faults_.open();
    }
}

void SimulationObserver::output(const host::InstanceRef& instance, platform::AUEventSampleTime sampleTime,
                                std::uint8_t cable, std::span<const std::uint8_t> bytes) {
    if (const auto found = monitors_.find(instance.index); found != monitors_.end())
        found->second.passed.push_back({sampleTime, cable, {bytes.begin(), bytes.end()}});
}

void SimulationObserver::rendered(const host::InstanceRef& instance, const platform::AudioBufferList& buffers,
                                  platform::OSStatus status) {
    if (const auto found = monitors_.find(instance.index); found != monitors_.end()) {
        renderedMIDI(instance.index, found->second, status);
    } else if (const auto meter = meters_.find(instance.index); meter != meters_.end()) {
        renderedAudio(instance.index, meter->second, buffers, status);
        ++context_.audioCall;
    }
    context_.rendering.reset();
}

// The MIDI events of 1 to 3 bytes pass through, in order, as they went in.
void SimulationObserver::renderedMIDI(std::size_t index, Monitor& monitor, platform::OSStatus status) {
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
            expected.push_back({event.sampleTime, event.cable, event.bytes});
    }
    if (monitor.passed != expected) {
        std::size_t at = 0;
        while (at < monitor.passed.size() && at < expected.size() && monitor.passed[at] == expected[at])
            ++at;
        std::string message = "monitor " + name(index) + " passed through " +
                              std::to_string(monitor.passed.size()) + " events where " +
                              std::to_string(expected.size()) + " went in; event " + std::to_string(at);
        if (at < monitor.passed.size()) message += " passed " + describe(monitor.passed[at]);
        if (at < expected.size()) message += " expected " + describe(expected[at]);
        fail(message);
    }
    coverage_.passedThrough += monitor.passed.size();
    if (!monitor.alive || !monitor.sending.enabled() || !monitor.connected) return;
    for (const host::ScriptEvent& event : events)
        monitor.reports.rendered(event, monitor.tag, platform::dispatchNow());
}

void SimulationObserver::renderedAudio(std::size_t index, Meter& meter,
                                       const platform::AudioBufferList& buffers, platform::OSStatus status) {
    const auto& command = std::get<host::AudioCommand>(*context_.command);
    const AudioCall call{command, context_.audioCall, meter.sampleRate};
    const bool alive = meter.unit() != nullptr;
    const bool pulled = !meter.weak.expired() && command.pull;
    const platform::OSStatus expectedStatus = pulled ? command.pullStatus : platform::noErr;
    if (status != expectedStatus)
        fail("meter " + name(index) + "'s render call returned " + std::to_string(status) + ", not " +
             std::to_string(expectedStatus));
    const bool pulledSuccessfully = pulled && command.pullStatus == platform::noErr;
    if (const auto difference = call.bufferDifference(pulledSuccessfully, buffers))
        fail("meter " + name(index) + ": " + *difference);

    const bool due = pulledSuccessfully && meter.window.add(command.frames, call.peak(0), call.peak(1));
    if (due) meter.mapping.sent();
    if (alive) checkTrack(index, meter);
    const auto& sent = context_.meterMessages;
    coverage_.peakMessages += sent.size();
    if (sent.size() > 1 || (!sent.empty() && !due)) {
        fail("meter " + name(index) + " sent " + std::to_string(sent.size()) + " messages in a call that " +
             (due ? "ends" : "does not end") + " a window");
    } else if (!sent.empty()) {
        const auto [left, right] = meter.window.due();
        const std::vector<std::uint8_t> expected{0xF0,  0x7E, meter.instanceID, meter.trackNr, left,
                                                 right, 0xF7};
        if (sent.front() != expected)
            fail("meter " + name(index) + " sent " + protocol::hexString(sent.front()) + ", not " +
                 protocol::hexString(expected));
    } else if (due && meter.linked) {
        fail("meter " + name(index) + " sent nothing at the end of a window while linked");
    }
}

void SimulationObserver::checkTrack(std::size_t index, const Meter& meter) {
    const auto unit = meter.unit();
    if (const auto difference = meter.mapping.difference(unit->trackNr(), unit->trackName()))
        fail("meter " + name(index) + " " + *difference);
}

// What leaves the plug-ins.

void SimulationObserver::send(const platform::MIDISendRecord& record) {
    faults_.delivered(platform::dispatchNow());
    ++happenedSinceQuiet_;
    const std::vector<std::uint8_t> bytes = record.bytes();
    const auto found = ports_.find(record.port);
    if (found == ports_.end()) {
        fail("a send from port " + std::to_string(record.port) +
             ", which no live instance owns: " + protocol::hexString(bytes));
        return;
    }
    const std::size_t index = found->second;
    if (const auto monitor = monitors_.find(index); monitor != monitors_.end())
        return observeMonitorSend(index, monitor->second, bytes);
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

void SimulationObserver::observeMonitorSend(std::size_t index, Monitor& monitor,
                                            const std::vector<std::uint8_t>& bytes) {
    using Kind = protocol::ReceiverMessage::Kind;
    const protocol::ReceiverMessage message = protocol::decodeReceiverMessage(bytes);
    const std::string who = "monitor " + name(index) + " ";
    const auto unit = monitor.unit();
    const std::uint32_t uid = unit ? unit->uniqueID() : 0;
    switch (message.kind) {
    case Kind::heartbeat:
        if (message.uid != uid) fail(who + "sent a Heartbeat for uid " + std::to_string(message.uid));
        monitor.heartbeats.arrived(platform::dispatchNow(), context_.inStep, context_.restoring == index,
                                   violations_);
        return;
    case Kind::connectRequest:
    case Kind::disconnectRequest:
        if (context_.pressing != index || message.uid != uid)
            fail(who +
                 "sent a connect or disconnect request nobody asked for: " + protocol::hexString(bytes));
        return;
    case Kind::eventReport:
        if (context_.inStep) fail(who + "sent a report outside its timer: " + protocol::hexString(bytes));
        monitor.reports.arrived(bytes, platform::dispatchNow(), faults_, violations_);
        ++coverage_.reportsArrived;
        return;
    default:
        fail(who + "sent a message of no known form: " + protocol::hexString(bytes));
        return;
    }
}

void SimulationObserver::log(const platform::LogRecord& record) {
    ++happenedSinceQuiet_;
    if (record.text.starts_with("[AudioMeter] Mapping gelesen")) ++coverage_.tracksFromMapping;
    const LogForm form = classifyLogLine(record);
    if (!form.origin) {
        fail(form.complaint);
    } else if (!originAlive(*form.origin)) {
        fail("a log line of an instance that is gone: " + platform::describe(record));
    }
}

bool SimulationObserver::originAlive(const LogOrigin& origin) const {
    if (origin.creation && context_.creating) return true;
    if (origin.kind == LogOrigin::Kind::monitor) {
        return std::ranges::any_of(monitors_, [&](const auto& entry) {
            const auto unit = entry.second.unit();
            return unit && (!origin.uid || unit->uniqueID() == *origin.uid);
        });
    }
    return std::ranges::any_of(meters_, [&](const auto& entry) {
        return entry.second.alive && (!origin.instanceID || entry.second.instanceID == *origin.instanceID);
    });
}

} // namespace vantrel::simulation
