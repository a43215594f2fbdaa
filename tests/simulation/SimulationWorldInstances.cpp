// The host's side of the run: creating, restoring, allocating, rendering and releasing instances.

#include <algorithm>

#include "SimulationWorld.h"
#include "protocol/ReceiverMessageDecoder.h"

namespace vantrel::simulation {

namespace {

const platform::AudioComponentDescription monitorDescription{
    platform::kAudioUnitType_MIDIProcessor, platform::fourCharCode("Vntr"), platform::fourCharCode("Mrlk")};
const platform::AudioComponentDescription meterDescription{
    platform::kAudioUnitType_Effect, platform::fourCharCode("Tlvm"), platform::fourCharCode("Mrlk")};

std::string name(Slot slot) {
    return "#" + std::to_string(slot);
}

} // namespace

void SimulationWorld::create(InstanceKind kind) {
    const Slot slot = kinds_.size();
    kinds_.push_back(kind);
    context_.creating = true;
    try {
        if (kind == InstanceKind::monitor) {
            createMonitor(slot);
        } else {
            createMeter(slot);
        }
    } catch (const platform::PlatformError&) {
        // A refused construction leaves nothing behind; the slot stays empty.
    }
}

void SimulationWorld::createMonitor(Slot slot) {
    const platform::MIDIObjectRef before = sim_.midi().newestObject();
    auto unit = monitor::VantrelExtensionAudioUnit::create(monitorDescription);
    MonitorSlot& monitor = monitors_.try_emplace(slot, sim_.now()).first->second;
    monitor.unit = std::move(unit);
    // The unit keeps its MIDI handles to itself; what it made is the newest the service handed out.
    const platform::MIDIObjectRef newest = sim_.midi().newestObject();
    monitor.hasClient = newest != before;
    if (monitor.hasClient && sim_.midi().objectName(newest) == "Vantrel Out") {
        monitor.port = newest;
        ports_[newest] = slot;
    }
    if (monitor.unit->uniqueID() == 0) fail("monitor " + name(slot) + " was created with uid 0");
}

void SimulationWorld::createMeter(Slot slot) {
    auto unit = std::make_shared<meter::TolvaneAudioMeterExtensionAudioUnit>(meterDescription, 0);
    MeterSlot& meter =
        meters_.try_emplace(slot, receiver_->mappingFile().path(), unit->instanceID()).first->second;
    meter.unit = std::move(unit);
    meter.instanceID = meter.unit->instanceID();
    meter.port = meter.unit->midiOutputPort();
    if (meter.port != 0) ports_[meter.port] = slot;
}

void SimulationWorld::release(Slot slot) {
    std::weak_ptr<platform::AUAudioUnit> weak;
    platform::MIDIPortRef port = 0;
    if (const auto found = monitors_.find(slot); found != monitors_.end() && found->second.unit) {
        MonitorSlot& monitor = found->second;
        // What was still queued goes with the instance.
        monitor.reports.closeBatch(faults_, violations_);
        weak = monitor.unit;
        port = monitor.port;
        monitor.unit.reset();
    } else if (const auto meter = meters_.find(slot); meter != meters_.end() && meter->second.unit) {
        weak = meter->second.unit;
        port = meter->second.port;
        meter->second.unit.reset();
    } else {
        return;
    }
    if (!weak.expired()) fail("instance " + name(slot) + " outlived its release by the host");
    if (port != 0 && sim_.midi().clientOfPort(port) != 0)
        fail("instance " + name(slot) + " left its MIDI port behind");
    ports_.erase(port);
}

void SimulationWorld::restore(const RestoreStep& step) {
    std::optional<platform::Dictionary> state = step.state;
    if (step.savedFrom) {
        const auto monitor = monitors_.find(*step.savedFrom);
        const auto meter = meters_.find(*step.savedFrom);
        if (monitor != monitors_.end()) {
            state = monitor->second.unit ? monitor->second.unit->fullState() : monitor->second.saved;
        } else if (meter != meters_.end()) {
            state = meter->second.unit ? meter->second.unit->fullState() : meter->second.saved;
        }
        if (!state) return;
    }
    context_.restoring = step.slot;
    if (const auto found = monitors_.find(step.slot); found != monitors_.end() && found->second.unit) {
        auto& unit = *found->second.unit;
        const std::uint32_t before = unit.uniqueID();
        unit.setFullState(state);
        const platform::Value* saved = state ? platform::member(*state, "qvUniqueID") : nullptr;
        const auto restored = saved ? platform::unsignedIntValue(*saved) : std::nullopt;
        const std::uint32_t expected = restored && *restored != 0 ? *restored : before;
        if (unit.uniqueID() != expected)
            fail("monitor " + name(step.slot) + " has uid " + std::to_string(unit.uniqueID()) +
                 " after a restore, not " + std::to_string(expected));
    } else if (const auto meter = meters_.find(step.slot); meter != meters_.end() && meter->second.unit) {
        auto& unit = *meter->second.unit;
        unit.setFullState(state);
        if (unit.trackNr() > 127) fail("meter " + name(step.slot) + " restored a track number above 127");
        meter->second.mapping.restored(unit.trackNr(), unit.trackName());
    }
}

void SimulationWorld::save(Slot slot) {
    if (const auto found = monitors_.find(slot); found != monitors_.end() && found->second.unit) {
        found->second.saved = found->second.unit->fullState();
    } else if (const auto meter = meters_.find(slot); meter != meters_.end() && meter->second.unit) {
        meter->second.saved = meter->second.unit->fullState();
    }
}

void SimulationWorld::allocate(const AllocateStep& step) {
    platform::AUAudioUnit* unit = nullptr;
    MonitorSlot* monitor = nullptr;
    if (const auto found = monitors_.find(step.slot); found != monitors_.end() && found->second.unit) {
        monitor = &found->second;
        unit = monitor->unit.get();
        platform::AUMIDIOutputEventBlock output;
        if (!step.noOutput) {
            output = [passed = monitor->passed](platform::AUEventSampleTime sampleTime, std::uint8_t cable,
                                                platform::NSInteger length, const std::uint8_t* bytes) {
                passed->push_back({sampleTime, cable, {bytes, bytes + length}});
                return std::int32_t{0};
            };
        }
        unit->setMIDIOutputEventBlock(std::move(output));
    } else if (const auto meter = meters_.find(step.slot); meter != meters_.end() && meter->second.unit) {
        unit = meter->second.unit.get();
    } else {
        return;
    }
    sim_.audioUnitFaults().failNextAllocate = step.fail;
    try {
        unit->allocateRenderResources();
        if (step.fail) fail("an allocation that was to fail succeeded");
        if (monitor != nullptr) monitor->passesThrough = !step.noOutput;
        if (const auto meter = meters_.find(step.slot); meter != meters_.end()) {
            meter->second.mapping.allocated();
            checkTrack(step.slot, meter->second);
        }
    } catch (const platform::PlatformError&) {
        if (!step.fail) fail("an allocation failed unasked");
    }
}

void SimulationWorld::deallocate(Slot slot) {
    if (const auto found = monitors_.find(slot); found != monitors_.end() && found->second.unit) {
        found->second.unit->deallocateRenderResources();
        found->second.passesThrough = false;
    } else if (const auto meter = meters_.find(slot); meter != meters_.end() && meter->second.unit) {
        meter->second.unit->deallocateRenderResources();
    }
}

void SimulationWorld::readRenderBlock(Slot slot) {
    if (const auto found = monitors_.find(slot); found != monitors_.end() && found->second.unit) {
        found->second.block = found->second.unit->internalRenderBlock();
    } else if (const auto meter = meters_.find(slot); meter != meters_.end() && meter->second.unit) {
        meter->second.block = meter->second.unit->internalRenderBlock();
    }
}

void SimulationWorld::press(const PressStep& step) {
    const auto found = monitors_.find(step.slot);
    if (found == monitors_.end() || !found->second.unit) return;
    context_.pressing = step.slot;
    found->second.unit->sendConnectRequest(step.marker);
}

void SimulationWorld::midiIn(const MIDIInStep& step) {
    const auto found = monitors_.find(step.slot);
    if (found == monitors_.end() || !found->second.block) return;
    MonitorSlot& monitor = found->second;

    std::vector<platform::AURenderEvent> events(step.events.size());
    for (std::size_t index = 0; index < events.size(); ++index) {
        const SimEvent& event = step.events[index];
        platform::AURenderEvent& record = events[index];
        record.MIDI.next = index + 1 < events.size() ? &events[index + 1] : nullptr;
        record.MIDI.eventSampleTime = event.sampleTime;
        record.MIDI.eventType = static_cast<platform::AURenderEventType>(event.type);
        record.MIDI.length = event.length;
        record.MIDI.cable = event.cable;
        std::ranges::copy(event.data, record.MIDI.data);
    }
    const bool alive = monitor.unit != nullptr;
    const bool connected = alive && monitor.unit->isConnected();
    const protocol::InstanceTag tag = protocol::makeInstanceTag(alive ? monitor.unit->uniqueID() : 0);
    const std::vector<std::int64_t> notes =
        alive ? monitor.unit->articulationNotes() : std::vector<std::int64_t>{};

    monitor.passed->clear();
    context_.rendering = step.slot;
    platform::AudioUnitRenderActionFlags flags = 0;
    const platform::AudioTimeStamp timestamp{};
    const platform::AURenderEvent* head = step.nullList || events.empty() ? nullptr : events.data();
    if (monitor.block(&flags, &timestamp, 512, 0, nullptr, head, {}) != platform::noErr)
        fail("monitor " + name(step.slot) + "'s render call returned an error");

    const std::span<const SimEvent> rendered =
        head == nullptr ? std::span<const SimEvent>{} : std::span<const SimEvent>(step.events);
    const auto expected =
        alive && monitor.passesThrough ? expectedPassThrough(rendered) : std::vector<PassedEvent>{};
    if (const auto difference = passThroughDifference(*monitor.passed, expected))
        fail("monitor " + name(step.slot) + " " + *difference);
    coverage_.passedThrough += monitor.passed->size();
    if (!alive) return;

    for (const SimEvent& event : rendered) {
        monitor.values.apply(event, notes);
        if (monitor.sending.enabled() && connected) monitor.reports.rendered(event, tag, sim_.now());
    }
    if (const auto difference = monitor.values.difference(monitor.unit->monitorSnapshot()))
        fail("monitor " + name(step.slot) + ": " + *difference);
}

void SimulationWorld::audio(const AudioStep& step) {
    const auto found = meters_.find(step.slot);
    if (found == meters_.end() || !found->second.block) return;
    for (std::uint32_t call = 0; call < step.calls && violations_.empty(); ++call)
        renderAudio(step.slot, found->second, step, step.sampleSeed + call);
}

void SimulationWorld::renderAudio(Slot slot, MeterSlot& meter, const AudioStep& step,
                                  std::uint64_t sampleSeed) {
    const bool alive = meter.unit != nullptr;
    const std::uint8_t trackNr = alive ? meter.unit->trackNr() : 0;
    const platform::MIDIEndpointRef destination = alive ? meter.unit->targetDestination() : 0;
    std::int32_t ignored = 0;
    const bool linked = alive && meter.unit->midiOutputPort() != 0 && destination != 0 &&
                        platform::MIDIObjectGetIntegerProperty(destination, platform::kMIDIPropertyUniqueID,
                                                               &ignored) != platform::kMIDIObjectNotFound &&
                        !faults_.open();

    HostRender host(step, sampleSeed);
    context_.rendering = slot;
    context_.meterMessages.clear();
    const platform::AUAudioUnitStatus status = host.render(meter.block);
    if (const auto difference = host.difference(alive, status))
        fail("meter " + name(slot) + ": " + *difference);

    const bool due =
        alive && host.pulledSuccessfully() && meter.window.add(step.frames, host.peak(0), host.peak(1));
    if (due) meter.mapping.sent();
    if (alive) checkTrack(slot, meter);
    const auto& sent = context_.meterMessages;
    coverage_.peakMessages += sent.size();
    if (sent.size() > 1 || (!sent.empty() && !due)) {
        fail("meter " + name(slot) + " sent " + std::to_string(sent.size()) + " messages in a call that " +
             (due ? "ends" : "does not end") + " a window");
    } else if (!sent.empty()) {
        const auto [left, right] = meter.window.due();
        const std::vector<std::uint8_t> expected{0xF0, 0x7E, meter.instanceID, trackNr, left, right, 0xF7};
        if (sent.front() != expected)
            fail("meter " + name(slot) + " sent " + protocol::hexString(sent.front()) + ", not " +
                 protocol::hexString(expected));
    } else if (due && linked) {
        fail("meter " + name(slot) + " sent nothing at the end of a window while linked");
    }
}

void SimulationWorld::checkTrack(Slot slot, const MeterSlot& meter) {
    if (const auto difference = meter.mapping.difference(meter.unit->trackNr(), meter.unit->trackName()))
        fail("meter " + name(slot) + " " + *difference);
}

} // namespace vantrel::simulation
