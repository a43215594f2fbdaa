#include "monitor/common/audiounit/VantrelExtensionRenderState.h"

#include <algorithm>
#include <utility>

namespace vantrel::monitor {

namespace {

constexpr std::uint8_t noteOn = 0x90;
constexpr std::uint8_t controlChange = 0xB0;
constexpr std::uint8_t channelPressure = 0xD0;
constexpr std::uint8_t pitchWheel = 0xE0;
constexpr std::uint8_t noteOnChannel16 = 0x9F;
constexpr std::uint8_t pressureKey = 0x80;
constexpr std::uint8_t pitchWheelKey = 0x81;

bool isChannelMessageLength(std::uint16_t length) {
    return length >= 1 && length <= 3;
}

} // namespace

platform::AUAudioUnitStatus
VantrelExtensionRenderState::render(const platform::AURenderEvent* realtimeEventListHead) noexcept {
    const bool instanceExists = alive.load(std::memory_order_acquire);
    const auto output = cachedMIDIOutputEventBlock.read();
    const platform::AUMIDIOutputEventBlock* passThrough = instanceExists && *output ? &*output : nullptr;
    const protocol::InstanceTag sysEx = instanceExists ? *sysExPrefix.read() : protocol::InstanceTag{};

    for (const platform::AURenderEvent* event = realtimeEventListHead; event != nullptr;
         event = event->head.next) {
        if (event->head.eventType != platform::AURenderEventMIDI) continue;
        const platform::AUMIDIEvent& midi = event->MIDI;
        if (passThrough != nullptr && isChannelMessageLength(midi.length)) {
            (*passThrough)(midi.eventSampleTime, midi.cable, midi.length, midi.data);
        }
        if (!alive.load(std::memory_order_acquire)) continue;
        if (midi.length >= 2) trackMonitorValues(midi);
        if (sendingEnabled.load(std::memory_order_acquire) && isConnected.load(std::memory_order_acquire) &&
            isChannelMessageLength(midi.length)) {
            reportChange(midi, sysEx);
        }
    }
    return platform::noErr;
}

void VantrelExtensionRenderState::trackMonitorValues(const platform::AUMIDIEvent& event) noexcept {
    const auto [status, d1, d2] = event.data;
    switch (status & 0xF0) {
    case noteOn: {
        if (event.length != 3 || d2 == 0) return;
        const auto notes = articulationNotes.read();
        const bool articulation = std::ranges::find(*notes, std::int64_t{d1}) != notes->end();
        platform::UnfairLockGuard guard(monitorLock);
        if (articulation) {
            monitor.monitorActiveArticulation = d1;
        } else {
            monitor.monitorLastNoteVelocity = d2;
        }
        return;
    }
    case controlChange: {
        const std::uint8_t value = event.length == 2 ? 0 : d2;
        platform::UnfairLockGuard guard(monitorLock);
        monitor.monitorCCValues[d1] = value;
        return;
    }
    default:
        return;
    }
}

void VantrelExtensionRenderState::reportChange(const platform::AUMIDIEvent& event,
                                               const protocol::InstanceTag& sysEx) noexcept {
    const auto [status, d1, d2] = event.data;
    const unsigned channelKey = unsigned{status & 0x0Fu} << 8;
    std::optional<std::pair<unsigned, std::uint8_t>> keyAndValue;
    switch (status & 0xF0) {
    case pitchWheel:
        keyAndValue = {channelKey | pitchWheelKey, d2};
        break;
    case channelPressure:
        keyAndValue = {channelKey | pressureKey, d1};
        break;
    case controlChange:
        keyAndValue = {channelKey | d1, d2};
        break;
    default:
        break;
    }
    if (keyAndValue) {
        auto& last = lastCCValues[keyAndValue->first];
        if (last == keyAndValue->second) return;
        // Recorded before the queue is tried: a dropped report is not retried for the same value.
        last = keyAndValue->second;
        queue(event, sysEx);
        return;
    }
    if (status == noteOnChannel16 && event.length == 3 && d2 != 0) queue(event, sysEx);
}

void VantrelExtensionRenderState::queue(const platform::AUMIDIEvent& event,
                                        const protocol::InstanceTag& sysEx) noexcept {
    protocol::EventReport report{sysEx, {}};
    std::copy_n(event.data, event.length, report.event.data.begin());
    report.event.length = static_cast<std::uint8_t>(event.length);
    platform::UnfairLockGuard guard(outBufferLock);
    outBuffer.tryAppend(report);
}

MonitorSnapshot VantrelExtensionRenderState::monitorSnapshot() const {
    MonitorValues values;
    {
        platform::UnfairLockGuard guard(monitorLock);
        values = monitor;
    }
    MonitorSnapshot snapshot{{}, values.monitorLastNoteVelocity, values.monitorActiveArticulation};
    for (std::size_t controller = 0; controller < values.monitorCCValues.size(); ++controller) {
        if (const auto value = values.monitorCCValues[controller]) {
            snapshot.monitorCCValues.emplace(static_cast<int>(controller), *value);
        }
    }
    return snapshot;
}

} // namespace vantrel::monitor
