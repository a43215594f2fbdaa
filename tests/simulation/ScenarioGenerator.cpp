#include "ScenarioGenerator.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "protocol/ReceiverMessages.h"

namespace vantrel::simulation {

namespace {

constexpr std::size_t maxLiveInstances = 6;
constexpr const char* connectName = "com.marlek.vantrel.connect";
constexpr const char* disconnectName = "com.marlek.vantrel.disconnect";
constexpr const char* articulationsName = "com.marlek.vantrel.articulations";

} // namespace

Scenario ScenarioGenerator::generate(std::size_t length) {
    Scenario scenario;
    opening(scenario);
    while (scenario.size() < length)
        randomStep(scenario);
    ending(scenario);
    return scenario;
}

void ScenarioGenerator::opening(Scenario& scenario) {
    if (random_.chance(0.8)) scenario.push_back(ReceiverUpStep{});
    if (random_.chance(0.5)) scenario.push_back(AutoConnectStep{{"Strings", "Brass"}});
    const auto monitors = random_.between(1, 2);
    for (std::int64_t i = 0; i < monitors; ++i)
        create(scenario, InstanceKind::monitor);
    create(scenario, InstanceKind::meter);
}

void ScenarioGenerator::ending(Scenario& scenario) {
    scenario.push_back(FailSendsStep{0, 0});
    scenario.push_back(ThrowSendsStep{0});
    scenario.push_back(UnreadableStep{std::nullopt, false});
    scenario.push_back(ReceiverUpStep{});
    scenario.push_back(AdvanceStep{platform::seconds(3)});
    scenario.push_back(SettleStep{});
    scenario.push_back(ReleaseAllStep{});
    // Blocks that outlive their instances must do nothing.
    for (Slot slot = 0; slot < slots_.size(); ++slot) {
        if (slots_[slot] == InstanceKind::monitor) {
            scenario.push_back(midiIn(slot));
        } else {
            scenario.push_back(audio(slot));
        }
    }
    scenario.push_back(AdvanceStep{platform::seconds(2)});
    scenario.push_back(QuietStep{});
}

void ScenarioGenerator::create(Scenario& scenario, InstanceKind kind) {
    const Slot slot = slots_.size();
    slots_.push_back(kind);
    released_.push_back(false);
    scenario.push_back(CreateStep{kind});
    // Saved states come early (before the 300 ms decision), late, or never.
    if (random_.chance(0.35)) scenario.push_back(restore(slot));
    if (random_.chance(0.85)) {
        scenario.push_back(AllocateStep{slot, random_.chance(0.1), false});
        scenario.push_back(RenderBlockStep{slot});
    }
}

std::size_t ScenarioGenerator::liveCount() const {
    return static_cast<std::size_t>(std::count(released_.begin(), released_.end(), false));
}

std::optional<Slot> ScenarioGenerator::anySlot(InstanceKind kind, double releasedShare) {
    std::vector<Slot> live;
    std::vector<Slot> gone;
    for (Slot slot = 0; slot < slots_.size(); ++slot) {
        if (slots_[slot] != kind) continue;
        (released_[slot] ? gone : live).push_back(slot);
    }
    if (!gone.empty() && (live.empty() || random_.chance(releasedShare))) return random_.pick(gone);
    if (live.empty()) return std::nullopt;
    return random_.pick(live);
}

void ScenarioGenerator::randomStep(Scenario& scenario) {
    const auto kind = random_.chance(0.55) ? InstanceKind::monitor : InstanceKind::meter;
    // A kind with no instance left gets a new one before long.
    if (!liveSlot(kind) && random_.chance(0.5)) {
        create(scenario, kind);
        return;
    }
    const auto roll = random_.below(1000);
    if (roll < 40) {
        if (liveCount() < maxLiveInstances) create(scenario, kind);
    } else if (roll < 55) {
        if (const auto slot = liveSlot(kind)) {
            released_[*slot] = true;
            scenario.push_back(ReleaseStep{*slot});
        }
    } else if (roll < 65) {
        scenario.push_back(FailNextCreateStep{random_.chance(0.5)});
    } else if (roll < 75) {
        const platform::OSStatus status =
            random_.chance(0.5) ? -10839 : static_cast<platform::OSStatus>(random_.bits());
        scenario.push_back(FailMIDICreateStep{random_.chance(0.5), status});
    } else if (roll < 115) {
        if (const auto slot = anySlot(kind)) scenario.push_back(restore(*slot));
    } else if (roll < 130) {
        if (const auto slot = anySlot(kind)) scenario.push_back(SaveStep{*slot});
    } else if (roll < 150) {
        if (const auto slot = anySlot(kind))
            scenario.push_back(AllocateStep{*slot, random_.chance(0.2), random_.chance(0.2)});
    } else if (roll < 160) {
        if (const auto slot = anySlot(kind)) scenario.push_back(DeallocateStep{*slot});
    } else if (roll < 170) {
        if (const auto slot = anySlot(kind)) scenario.push_back(RenderBlockStep{*slot});
    } else if (roll < 350) {
        if (const auto slot = anySlot(InstanceKind::monitor)) scenario.push_back(midiIn(*slot));
    } else if (roll < 500) {
        if (const auto slot = anySlot(InstanceKind::meter)) scenario.push_back(audio(*slot));
    } else if (roll < 515) {
        scenario.push_back(ReceiverUpStep{});
    } else if (roll < 525) {
        scenario.push_back(ReceiverDownStep{});
    } else if (roll < 530) {
        std::vector<std::string> tracks;
        const auto count = random_.below(3);
        for (std::uint64_t i = 0; i < count; ++i)
            tracks.push_back(random_.text(12));
        scenario.push_back(AutoConnectStep{tracks});
    } else if (roll < 540) {
        const std::int32_t uniqueID =
            random_.chance(0.6) ? protocol::KVRT : static_cast<std::int32_t>(random_.bits());
        scenario.push_back(DestinationAddStep{uniqueID, random_.chance(0.25)});
        ++destinationsAdded_;
    } else if (roll < 550) {
        if (destinationsAdded_ > 0)
            scenario.push_back(DestinationRemoveStep{random_.below(destinationsAdded_)});
    } else if (roll < 560) {
        std::optional<std::size_t> which;
        if (destinationsAdded_ > 0 && random_.chance(0.6)) which = random_.below(destinationsAdded_);
        scenario.push_back(UnreadableStep{which, random_.chance(0.5)});
    } else if (roll < 575) {
        const std::int32_t id = random_.chance(0.7) ? 1 : static_cast<std::int32_t>(random_.between(-3, 9));
        scenario.push_back(MIDINotifyStep{id});
    } else if (roll < 590) {
        const platform::OSStatus status =
            random_.chance(0.5) ? -10838 : static_cast<platform::OSStatus>(random_.bits());
        scenario.push_back(FailSendsStep{static_cast<int>(random_.between(1, 5)), status});
    } else if (roll < 600) {
        scenario.push_back(ThrowSendsStep{static_cast<int>(random_.between(1, 4))});
    } else if (roll < 700) {
        scenario.push_back(notification());
    } else if (roll < 740) {
        if (const auto slot = anySlot(InstanceKind::monitor))
            scenario.push_back(PressStep{*slot, static_cast<std::uint8_t>(random_.chance(0.7) ? 1 : 2)});
    } else if (roll < 770) {
        scenario.push_back(mappingWrite());
        // The host allocating again makes a meter read the file at once.
        if (random_.chance(0.4)) {
            if (const auto slot = liveSlot(InstanceKind::meter))
                scenario.push_back(AllocateStep{*slot, false, false});
        }
    } else if (roll < 775) {
        scenario.push_back(MappingRemoveStep{});
    } else {
        scenario.push_back(advance());
    }
}

SimEvent ScenarioGenerator::event() {
    static const std::vector<std::uint8_t> otherTypes = {1, 2, 9, 10, 0, 3, 255};
    static const std::vector<std::uint8_t> controllers = {1, 7, 10, 11, 64, 74, 120, 127};
    static const std::vector<std::uint8_t> values = {0, 1, 63, 64, 100, 127};
    SimEvent event;
    event.type = random_.chance(0.88) ? std::uint8_t{8} : random_.pick(otherTypes);
    event.sampleTime =
        random_.chance(0.9) ? random_.between(0, 4095) : static_cast<std::int64_t>(random_.bits());
    event.cable = static_cast<std::uint8_t>(random_.chance(0.8) ? random_.below(2) : random_.bits());
    const auto lengthRoll = random_.below(100);
    if (lengthRoll < 82) {
        event.length = static_cast<std::uint16_t>(random_.between(1, 3));
    } else if (lengthRoll < 88) {
        event.length = 0;
    } else if (lengthRoll < 97) {
        event.length = static_cast<std::uint16_t>(random_.between(4, 8));
    } else {
        event.length = static_cast<std::uint16_t>(random_.bits());
    }
    const auto channel =
        static_cast<std::uint8_t>(random_.chance(0.7) ? random_.below(2) : random_.below(16));
    switch (random_.below(9)) {
    case 0:
    case 1:
    case 2:
        event.data[0] = 0xB0 | channel;
        break;
    case 3:
        event.data[0] = 0xD0 | channel;
        break;
    case 4:
        event.data[0] = 0xE0 | channel;
        break;
    case 5:
        event.data[0] = 0x9F;
        break;
    case 6:
        event.data[0] = static_cast<std::uint8_t>((random_.chance(0.5) ? 0x90 : 0x80) | channel);
        break;
    default:
        event.data[0] = static_cast<std::uint8_t>(random_.bits());
        break;
    }
    event.data[1] =
        random_.chance(0.7) ? random_.pick(controllers) : static_cast<std::uint8_t>(random_.bits());
    event.data[2] = random_.chance(0.4) ? random_.pick(values) : static_cast<std::uint8_t>(random_.bits());
    return event;
}

MIDIInStep ScenarioGenerator::midiIn(Slot slot) {
    MIDIInStep step{slot, random_.chance(0.03), {}};
    const auto sizeRoll = random_.below(100);
    if (sizeRoll < 92) {
        const std::uint64_t count = sizeRoll < 75 ? random_.below(9) : random_.between(9, 120);
        for (std::uint64_t i = 0; i < count; ++i)
            step.events.push_back(event());
        return step;
    }
    // A storm: controllers sweeping on every channel, more changes than the 256 reports the queue
    // holds, with everything else mixed in.
    const auto count = random_.between(200, 900);
    for (std::int64_t i = 0; i < count; ++i) {
        SimEvent sweep = event();
        if (random_.chance(0.8)) {
            sweep.type = 8;
            sweep.length = 3;
            sweep.data = {static_cast<std::uint8_t>(0xB0 | random_.below(16)),
                          static_cast<std::uint8_t>(random_.below(128)),
                          static_cast<std::uint8_t>(random_.below(128))};
        }
        step.events.push_back(sweep);
    }
    return step;
}

AudioStep ScenarioGenerator::audio(Slot slot) {
    static const std::vector<std::uint32_t> frameCounts = {0,   1,    64,   128,  256,  512,  512,
                                                           512, 1000, 1024, 1024, 2048, 2048, 4096};
    AudioStep step;
    step.slot = slot;
    step.calls = static_cast<std::uint32_t>(random_.chance(0.6) ? 1 : random_.between(2, 12));
    // Now and then long enough for the periodic mapping check (every 44th send).
    if (random_.chance(0.05)) step.calls = static_cast<std::uint32_t>(random_.between(45, 100));
    step.frames =
        random_.chance(0.9) ? random_.pick(frameCounts) : static_cast<std::uint32_t>(random_.below(5000));
    const auto bufferRoll = random_.below(100);
    const std::uint64_t buffers = bufferRoll < 80   ? 2
                                  : bufferRoll < 88 ? 1
                                  : bufferRoll < 93 ? 0
                                                    : random_.between(3, 8);
    for (std::uint64_t i = 0; i < buffers; ++i) {
        BufferShape shape{random_.chance(0.93), step.frames};
        if (random_.chance(0.1)) shape.capacity = static_cast<std::uint32_t>(random_.below(step.frames + 64));
        step.buffers.push_back(shape);
    }
    step.sampleSeed = random_.bits();
    step.pull = random_.chance(0.93);
    if (random_.chance(0.07)) step.pullStatus = static_cast<platform::OSStatus>(random_.between(-10880, -1));
    return step;
}

RestoreStep ScenarioGenerator::restore(Slot slot) {
    RestoreStep step{slot, std::nullopt, std::nullopt};
    const auto roll = random_.below(100);
    if (roll < 10) return step; // absent
    if (roll < 30) {
        // Now and then the other plug-in's state: every key of the wrong kind.
        const InstanceKind kind = random_.chance(0.8)                     ? slots_[slot]
                                  : slots_[slot] == InstanceKind::monitor ? InstanceKind::meter
                                                                          : InstanceKind::monitor;
        if (const auto from = anySlot(kind, 0.3)) {
            step.savedFrom = *from;
            return step;
        }
    }
    step.state = slots_[slot] == InstanceKind::monitor ? monitorState() : meterState();
    return step;
}

platform::Dictionary ScenarioGenerator::monitorState() {
    platform::Dictionary state = platform::Dictionary::object();
    if (random_.chance(0.8)) {
        switch (random_.below(6)) {
        case 0:
        case 1:
            state["qvUniqueID"] = static_cast<std::uint32_t>(random_.bits());
            break;
        case 2:
            state["qvUniqueID"] = 0;
            break;
        default:
            state["qvUniqueID"] = anyValue(1);
            break;
        }
    }
    if (random_.chance(0.7))
        state["qvConnected"] = random_.chance(0.6) ? platform::Value(random_.chance(0.5)) : anyValue(1);
    if (random_.chance(0.6))
        state["qvTrackName"] = random_.chance(0.7) ? platform::Value(random_.text(16)) : anyValue(1);
    if (random_.chance(0.3)) state["data"] = anyValue(2);
    if (random_.chance(0.2)) state[random_.text(6)] = anyValue(2);
    return state;
}

platform::Dictionary ScenarioGenerator::meterState() {
    platform::Dictionary state = platform::Dictionary::object();
    if (random_.chance(0.8))
        state["qvTrackNr"] = random_.chance(0.6) ? platform::Value(random_.between(-300, 300)) : anyValue(1);
    if (random_.chance(0.7))
        state["qvTrackName"] = random_.chance(0.7) ? platform::Value(random_.text(16)) : anyValue(1);
    if (random_.chance(0.2)) state[random_.text(6)] = anyValue(2);
    return state;
}

NotifyStep ScenarioGenerator::notification() {
    NotifyStep step;
    const auto roll = random_.below(100);
    if (roll < 45 || roll >= 95) {
        step.name = roll < 36 ? connectName : roll < 45 ? disconnectName : random_.text(20);
        if (random_.chance(0.75)) {
            if (const auto slot = anySlot(InstanceKind::monitor)) {
                step.uidOf = *slot;
                step.userInfo = platform::Dictionary{{"uid", 0}};
                if (random_.chance(0.85))
                    (*step.userInfo)["trackName"] =
                        random_.chance(0.8) ? platform::Value(random_.text(12)) : anyValue(1);
                return step;
            }
        }
    } else {
        step.name = articulationsName;
        if (random_.chance(0.75)) {
            std::vector<std::string> names;
            std::vector<std::int64_t> notes;
            const auto count = random_.below(9);
            for (std::uint64_t i = 0; i < count; ++i) {
                names.push_back(random_.text(10));
                notes.push_back(random_.chance(0.9) ? random_.between(0, 127) : random_.between(-1000, 1000));
            }
            step.userInfo = platform::Dictionary{{"names", names}};
            if (random_.chance(0.8)) {
                (*step.userInfo)["notes"] = random_.chance(0.85) ? platform::Value(notes) : anyValue(2);
            }
            return step;
        }
    }
    // A payload of the wrong shape or types, or none at all.
    if (random_.chance(0.15)) return step;
    const platform::Value junk = anyValue(3);
    if (junk.is_object() || random_.chance(0.3)) {
        step.userInfo = junk;
    } else {
        step.userInfo = platform::Dictionary{{"uid", junk}, {"names", anyValue(2)}, {"notes", anyValue(2)}};
    }
    return step;
}

MappingWriteStep ScenarioGenerator::mappingWrite() {
    static const std::vector<std::string> brokenTexts = {
        "", "{", "null", "[1, 2]", "{\"1\": 5}", "{\"1\": {}}", "{\"1\": {\"trackNr\": 1e999}}", "\xff\xfe"};
    MappingWriteStep step;
    step.keepDate = random_.chance(0.15);
    if (random_.chance(0.2)) {
        step.raw = random_.chance(0.6) ? random_.pick(brokenTexts) : random_.text(40);
        return step;
    }
    const auto count = random_.between(1, 4);
    for (std::int64_t i = 0; i < count; ++i) {
        std::variant<Slot, std::string> key =
            std::string(random_.pick(std::vector<std::string>{"0", "128", "-1", "01", "x"}));
        if (random_.chance(0.75)) {
            if (const auto slot = anySlot(InstanceKind::meter, 0.2)) key = *slot;
        }
        platform::Value entry = platform::Value::object();
        if (random_.chance(0.9))
            entry["trackNr"] = random_.chance(0.75) ? platform::Value(random_.between(-3, 200)) : anyValue(1);
        if (random_.chance(0.8))
            entry["trackName"] = random_.chance(0.8) ? platform::Value(random_.text(12)) : anyValue(1);
        step.entries.emplace_back(key, random_.chance(0.95) ? entry : anyValue(1));
    }
    return step;
}

AdvanceStep ScenarioGenerator::advance() {
    const auto roll = random_.below(100);
    std::int64_t microseconds = 0;
    if (roll < 5) {
        microseconds = 0;
    } else if (roll < 55) {
        microseconds = random_.between(1, 30'000);
    } else if (roll < 80) {
        microseconds = random_.between(30'000, 300'000);
    } else {
        microseconds = random_.between(300'000, 2'500'000);
    }
    return AdvanceStep{std::chrono::microseconds(microseconds)};
}

platform::Value ScenarioGenerator::anyValue(int depth) {
    switch (random_.below(depth > 0 ? 12 : 9)) {
    case 0:
        return nullptr;
    case 1:
        return random_.chance(0.5);
    case 2:
        return static_cast<std::int64_t>(random_.bits());
    case 3:
        return random_.bits();
    case 4:
        return random_.pick(std::vector<double>{0.5, -1.5, 1e20, -1e20, 4294967296.0, 4294967295.9, 1e-300});
    case 5:
        return random_.between(-2, 300);
    case 6:
    case 7:
        return random_.text(10);
    case 8:
        return std::numeric_limits<double>::quiet_NaN();
    case 9:
    case 10: {
        platform::Value list = platform::Value::array();
        const auto count = random_.below(5);
        for (std::uint64_t i = 0; i < count; ++i)
            list.push_back(anyValue(depth - 1));
        return list;
    }
    default: {
        platform::Value object = platform::Value::object();
        const auto count = random_.below(4);
        for (std::uint64_t i = 0; i < count; ++i)
            object[random_.pick(std::vector<std::string>{"uid", "trackName", "names", "notes", "qvUniqueID",
                                                         "a"})] = anyValue(depth - 1);
        return object;
    }
    }
}

} // namespace vantrel::simulation
