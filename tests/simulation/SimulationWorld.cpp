#include "SimulationWorld.h"

#include <algorithm>

#include "LogFormCheck.h"
#include "platform/midi/MIDIServices.h"
#include "protocol/ReceiverMessageDecoder.h"

namespace vantrel::simulation {

namespace {

template <class... Handlers> struct Overloaded : Handlers... { using Handlers::operator()...; };
// Spelled out for compilers without deduction for aggregates (clang 14).
template <class... Handlers> Overloaded(Handlers...) -> Overloaded<Handlers...>;

} // namespace

SimulationWorld::SimulationWorld(std::uint64_t seed) : sim_(seed) {
    // Instance numbers are handed out per process; a run starts where a fresh process starts, so
    // that replaying a seed alone gives the same numbers.
    while (true) {
        const meter::TolvaneAudioMeterExtensionAudioUnit probe({platform::kAudioUnitType_Effect, 0, 0}, 0);
        if (probe.instanceID() == 127) break;
    }
    receiver_ = std::make_unique<host::ReceiverSubstitute>(
        sim_.applicationSupportDirectory().value_or("/nonexistent"));
    platform::MIDIClientCreateWithBlock("Elsewhere", &extraClient_, {});
    sim_.log().clear();
    sim_.log().setListener([this](const platform::LogRecord& record) { observeLog(record); });
    sim_.midi().setSendObserver([this](const platform::MIDISendRecord& record) { observeSend(record); });
}

SimulationWorld::~SimulationWorld() {
    sim_.log().setListener({});
    sim_.midi().setSendObserver({});
}

void SimulationWorld::run(const Step& step) {
    context_ = StepContext{};
    context_.inStep = true;
    std::visit(Overloaded{
                   [&](const CreateStep& s) { create(s.kind); },
                   [&](const ReleaseStep& s) { release(s.slot); },
                   [&](const ReleaseAllStep&) { releaseAll(); },
                   [&](const FailNextCreateStep& s) {
                       (s.bus ? sim_.audioUnitFaults().failNextBusCreation
                              : sim_.audioUnitFaults().failNextBaseConstruction) = true;
                   },
                   [&](const FailMIDICreateStep& s) {
                       if (s.port) {
                           sim_.midi().failNextPortCreate(s.status);
                       } else {
                           sim_.midi().failNextClientCreate(s.status);
                       }
                   },
                   [&](const RestoreStep& s) { restore(s); },
                   [&](const SaveStep& s) { save(s.slot); },
                   [&](const AllocateStep& s) { allocate(s); },
                   [&](const DeallocateStep& s) { deallocate(s.slot); },
                   [&](const RenderBlockStep& s) { readRenderBlock(s.slot); },
                   [&](const MIDIInStep& s) { midiIn(s); },
                   [&](const AudioStep& s) { audio(s); },
                   [&](const ReceiverUpStep&) { receiverUp(); },
                   [&](const ReceiverDownStep&) { receiverDown(); },
                   [&](const AutoConnectStep& s) { receiver_->setAutoConnect(s.tracks); },
                   [&](const DestinationAddStep& s) { addDestination(s); },
                   [&](const DestinationRemoveStep& s) { removeDestination(s.which); },
                   [&](const UnreadableStep& s) { setUnreadable(s); },
                   [&](const MIDINotifyStep& s) { notifyMIDI(s.messageID); },
                   [&](const FailSendsStep& s) {
                       sim_.midi().failNextSends(s.count, s.status);
                       faults_.armFailures(s.count > 0, sim_.now());
                   },
                   [&](const ThrowSendsStep& s) {
                       sim_.midi().throwNextSends(s.count);
                       faults_.armThrows(s.count > 0, sim_.now());
                   },
                   [&](const NotifyStep& s) { notify(s); },
                   [&](const PressStep& s) { press(s); },
                   [&](const MappingWriteStep& s) { writeMapping(s); },
                   [&](const MappingRemoveStep&) { receiver_->mappingFile().remove(); },
                   [&](const AdvanceStep& s) { advance(s.duration); },
                   [&](const SettleStep&) { settle(); },
                   [&](const QuietStep&) { quiet(); },
               },
               step);
    context_ = StepContext{};
}

// The receiver and other destinations.

void SimulationWorld::setupChangeQueued() {
    for (auto& [slot, monitor] : monitors_) {
        if (monitor.unit && monitor.hasClient) monitor.sending.setupChangeQueued();
    }
}

bool SimulationWorld::receiverFindable() const {
    const platform::ItemCount count = platform::MIDIGetNumberOfDestinations();
    for (platform::ItemCount index = 0; index < count; ++index) {
        std::int32_t uniqueID = 0;
        if (platform::MIDIObjectGetIntegerProperty(platform::MIDIGetDestination(index),
                                                   platform::kMIDIPropertyUniqueID,
                                                   &uniqueID) == platform::noErr &&
            uniqueID == protocol::KVRT) {
            return true;
        }
    }
    return false;
}

void SimulationWorld::receiverUp() {
    if (receiver_->up()) setupChangeQueued();
}

void SimulationWorld::receiverDown() {
    if (receiver_->destination() == 0) return;
    receiver_->down();
    setupChangeQueued();
}

void SimulationWorld::addDestination(const DestinationAddStep& step) {
    platform::MIDIEndpointRef endpoint = 0;
    const std::string name = "extra " + std::to_string(extraDestinations_.size());
    if (platform::MIDIDestinationCreateWithBlock(extraClient_, name, &endpoint, {}) != platform::noErr) {
        fail("the extra destination could not be created");
        return;
    }
    platform::MIDIObjectSetIntegerProperty(endpoint, platform::kMIDIPropertyUniqueID, step.uniqueID);
    sim_.midi().setUniqueIDUnreadable(endpoint, step.unreadable);
    extraDestinations_.push_back(endpoint);
    setupChangeQueued();
}

void SimulationWorld::removeDestination(std::size_t which) {
    if (which >= extraDestinations_.size() || extraDestinations_[which] == 0) return;
    platform::MIDIEndpointDispose(std::exchange(extraDestinations_[which], 0));
    setupChangeQueued();
}

void SimulationWorld::setUnreadable(const UnreadableStep& step) {
    platform::MIDIEndpointRef endpoint = receiver_->destination();
    if (step.which) endpoint = *step.which < extraDestinations_.size() ? extraDestinations_[*step.which] : 0;
    if (endpoint != 0) sim_.midi().setUniqueIDUnreadable(endpoint, step.unreadable);
}

void SimulationWorld::notifyMIDI(std::int32_t messageID) {
    sim_.midi().postNotification(messageID);
    if (messageID == platform::kMIDIMsgSetupChanged) setupChangeQueued();
}

void SimulationWorld::notify(const NotifyStep& step) {
    std::optional<platform::Dictionary> userInfo = step.userInfo;
    if (step.uidOf && userInfo && userInfo->is_object()) {
        const auto found = monitors_.find(*step.uidOf);
        if (found != monitors_.end() && found->second.unit)
            (*userInfo)["uid"] = found->second.unit->uniqueID();
    }
    sim_.notifications().post(step.name, std::move(userInfo));
}

void SimulationWorld::writeMapping(const MappingWriteStep& step) {
    std::string content;
    if (step.raw) {
        content = *step.raw;
    } else {
        platform::Value file = platform::Value::object();
        for (const auto& [key, entry] : step.entries) {
            std::string name;
            if (const Slot* slot = std::get_if<Slot>(&key)) {
                const auto found = meters_.find(*slot);
                name = std::to_string(found != meters_.end() ? found->second.instanceID : 0);
            } else {
                name = std::get<std::string>(key);
            }
            file[name] = entry;
        }
        content = file.dump();
    }
    if (!receiver_->mappingFile().write(content, step.keepDate))
        fail("the mapping file could not be written");
}

// Time and the end of a run.

void SimulationWorld::advance(platform::Duration duration) {
    const platform::TimePoint from = sim_.now();
    const bool findable = receiverFindable();
    for (auto& [slot, monitor] : monitors_) {
        if (monitor.unit) monitor.sending.advance(from, from + duration, findable);
    }
    context_.inStep = false;
    sim_.advance(duration);
    context_.inStep = true;
    for (auto& [slot, monitor] : monitors_)
        monitor.reports.closeBatch(faults_, violations_);
}

void SimulationWorld::settle() {
    for (auto& [slot, monitor] : monitors_) {
        if (monitor.unit && monitor.port != 0) monitor.reports.settle(sim_.now(), faults_, violations_);
        coverage_.reportsQueued += monitor.reports.queued();
        coverage_.queueOverflows += monitor.reports.overflows();
        coverage_.timerHeartbeats += monitor.heartbeats.timerHeartbeats();
    }
}

void SimulationWorld::releaseAll() {
    for (auto& [slot, monitor] : monitors_) {
        if (monitor.unit) release(slot);
    }
    for (auto& [slot, meter] : meters_) {
        if (meter.unit) release(slot);
    }
    allReleased_ = true;
    logLinesSinceRelease_ = 0;
    sendsSinceRelease_ = 0;
}

void SimulationWorld::quiet() {
    if (logLinesSinceRelease_ != 0)
        fail(std::to_string(logLinesSinceRelease_) + " log lines after every instance was released");
    if (sendsSinceRelease_ != 0)
        fail(std::to_string(sendsSinceRelease_) + " sends after every instance was released");
}

// Observation.

void SimulationWorld::observeSend(const platform::MIDISendRecord& record) {
    faults_.delivered(sim_.now());
    ++sendsSinceRelease_;
    const std::vector<std::uint8_t> bytes = record.bytes();
    const auto found = ports_.find(record.port);
    if (found == ports_.end()) {
        fail("a send from port " + std::to_string(record.port) +
             ", which no live instance owns: " + protocol::hexString(bytes));
        return;
    }
    const Slot slot = found->second;
    if (const auto monitor = monitors_.find(slot); monitor != monitors_.end()) {
        observeMonitorSend(slot, monitor->second, bytes);
        return;
    }
    const protocol::ReceiverMessage message = protocol::decodeReceiverMessage(bytes);
    const MeterSlot& meter = meters_.at(slot);
    if (message.kind != protocol::ReceiverMessage::Kind::peakMeter ||
        message.instanceID != meter.instanceID) {
        fail("meter #" + std::to_string(slot) + " sent " + protocol::hexString(bytes));
    } else if (context_.rendering != slot) {
        fail("meter #" + std::to_string(slot) + " sent outside its own render call");
    } else {
        context_.meterMessages.push_back(bytes);
    }
}

void SimulationWorld::observeMonitorSend(Slot slot, MonitorSlot& monitor,
                                         const std::vector<std::uint8_t>& bytes) {
    using Kind = protocol::ReceiverMessage::Kind;
    const protocol::ReceiverMessage message = protocol::decodeReceiverMessage(bytes);
    const std::string who = "monitor #" + std::to_string(slot) + " ";
    const std::uint32_t uid = monitor.unit->uniqueID();
    switch (message.kind) {
    case Kind::heartbeat:
        if (message.uid != uid) fail(who + "sent a Heartbeat for uid " + std::to_string(message.uid));
        monitor.heartbeats.arrived(sim_.now(), context_.inStep, context_.restoring == slot, violations_);
        return;
    case Kind::connectRequest:
    case Kind::disconnectRequest:
        if (context_.pressing != slot || message.uid != uid)
            fail(who +
                 "sent a connect or disconnect request nobody asked for: " + protocol::hexString(bytes));
        return;
    case Kind::eventReport:
        if (context_.inStep) fail(who + "sent a report outside its timer: " + protocol::hexString(bytes));
        monitor.reports.arrived(bytes, sim_.now(), faults_, violations_);
        ++coverage_.reportsArrived;
        return;
    default:
        fail(who + "sent a message of no known form: " + protocol::hexString(bytes));
        return;
    }
}

void SimulationWorld::observeLog(const platform::LogRecord& record) {
    ++coverage_.logLines;
    ++logLinesSinceRelease_;
    if (record.text.starts_with("[AudioMeter] Mapping gelesen")) ++coverage_.tracksFromMapping;
    const LogForm form = classifyLogLine(record);
    if (!form.origin) {
        fail(form.complaint);
    } else if (!originAlive(*form.origin)) {
        fail("a log line of an instance that is gone: " + platform::describe(record));
    }
}

bool SimulationWorld::originAlive(const LogOrigin& origin) const {
    if (origin.creation && context_.creating) return true;
    if (origin.kind == LogOrigin::Kind::monitor) {
        return std::ranges::any_of(monitors_, [&](const auto& entry) {
            const auto& unit = entry.second.unit;
            return unit && (!origin.uid || unit->uniqueID() == *origin.uid);
        });
    }
    return std::ranges::any_of(meters_, [&](const auto& entry) {
        return entry.second.unit && (!origin.instanceID || entry.second.instanceID == *origin.instanceID);
    });
}

} // namespace vantrel::simulation
