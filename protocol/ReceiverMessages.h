#pragma once
// The messages both plug-ins send to the receiver application's destination, byte for byte.
// Every encoder here is pure and never allocates, so the render thread may build messages too.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "protocol/ByteRecord.h"

namespace protocol {

// The MIDI unique ID that marks the receiver application's destination ('KVRT').
inline constexpr std::int32_t KVRT = 0x4B565254;

inline constexpr std::uint8_t sysExStart = 0xF0;
inline constexpr std::uint8_t sysExEnd = 0xF7;
// Second byte of every controller-monitor message; the meter's message has peakMeterFamily there.
inline constexpr std::uint8_t monitorFamily = 0x7D;
inline constexpr std::uint8_t peakMeterFamily = 0x7E;

// Type byte (offset 7) of the 9-byte monitor messages.
inline constexpr std::uint8_t connectRequestType = 0x01;
inline constexpr std::uint8_t disconnectRequestType = 0x02;
inline constexpr std::uint8_t heartbeatType = 0x03;

// A uniqueID as five SysEx data bytes, most significant first (4 + 7 + 7 + 7 + 7 bits).
using UidField = std::array<std::uint8_t, 5>;
// F0 7D uid F7: the first half of every EventReport, never sent alone.
using InstanceTag = std::array<std::uint8_t, 8>;
// F0 7D uid type F7: ConnectRequest, DisconnectRequest and Heartbeat.
using MonitorMessage = std::array<std::uint8_t, 9>;
// F0 7E instanceID trackNr peakL peakR F7.
using PeakMeterMessage = std::array<std::uint8_t, 7>;
// One channel message as the host delivered it, status byte first, 1 to 3 bytes.
using EventBytes = ByteRecord<3>;
// An EventReport as it reaches the receiver: InstanceTag then event bytes, 9 to 11 bytes.
using EventReportBytes = ByteRecord<11>;

// One pending EventReport: the instance's tag as it was when the report was queued, and the
// channel message. Sent as two parts of one packet list.
struct EventReport {
    InstanceTag sysEx{};
    EventBytes event{};
    friend constexpr bool operator==(const EventReport&, const EventReport&) = default;
};

// [any, render] All encoders below never allocate.

constexpr UidField makeUidField(std::uint32_t uid) noexcept {
    return {static_cast<std::uint8_t>(uid >> 28), static_cast<std::uint8_t>((uid >> 21) & 0x7F),
            static_cast<std::uint8_t>((uid >> 14) & 0x7F), static_cast<std::uint8_t>((uid >> 7) & 0x7F),
            static_cast<std::uint8_t>(uid & 0x7F)};
}

// The inverse of makeUidField for a well-formed field (u0 <= 0x0F, the others <= 0x7F).
constexpr std::uint32_t uidFromField(std::span<const std::uint8_t, 5> field) noexcept {
    return (std::uint32_t{field[0]} << 28) | (std::uint32_t{field[1]} << 21) |
           (std::uint32_t{field[2]} << 14) | (std::uint32_t{field[3]} << 7) | std::uint32_t{field[4]};
}

constexpr InstanceTag makeInstanceTag(std::uint32_t uid) noexcept {
    const UidField u = makeUidField(uid);
    return {sysExStart, monitorFamily, u[0], u[1], u[2], u[3], u[4], sysExEnd};
}

// `type` goes out unchanged: the connect request passes its marker, the heartbeat senders 3.
constexpr MonitorMessage makeMonitorMessage(std::uint32_t uid, std::uint8_t type) noexcept {
    const UidField u = makeUidField(uid);
    return {sysExStart, monitorFamily, u[0], u[1], u[2], u[3], u[4], type, sysExEnd};
}

// The event bytes of a channel message of 1 to 3 bytes; none for any other length.
constexpr std::optional<EventBytes> makeEventBytes(std::span<const std::uint8_t> message) noexcept {
    if (message.empty() || message.size() > 3) return std::nullopt;
    EventBytes event;
    for (std::size_t i = 0; i < message.size(); ++i)
        event.data[i] = message[i];
    event.length = static_cast<std::uint8_t>(message.size());
    return event;
}

// The two parts of a report in order, as one byte sequence.
constexpr EventReportBytes makeEventReportBytes(const EventReport& report) noexcept {
    EventReportBytes wire;
    for (const std::uint8_t byte : report.sysEx)
        wire.data[wire.length++] = byte;
    for (const std::uint8_t byte : report.event.bytes())
        wire.data[wire.length++] = byte;
    return wire;
}

// Callers keep each value in 0...127 (trackNr 0: no track assigned).
constexpr PeakMeterMessage makePeakMeterMessage(std::uint8_t instanceID, std::uint8_t trackNr,
                                                std::uint8_t peakL, std::uint8_t peakR) noexcept {
    return {sysExStart, peakMeterFamily, instanceID, trackNr, peakL, peakR, sysExEnd};
}

} // namespace protocol
