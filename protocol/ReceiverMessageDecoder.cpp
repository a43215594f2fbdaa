#include "protocol/ReceiverMessageDecoder.h"

#include <cstdio>

#include "protocol/ReceiverMessages.h"

namespace protocol {

namespace {

bool isDataByte(std::uint8_t byte) {
    return byte < 0x80;
}

bool isUidField(std::span<const std::uint8_t, 5> field) {
    return field[0] <= 0x0F && isDataByte(field[1]) && isDataByte(field[2]) && isDataByte(field[3]) &&
           isDataByte(field[4]);
}

void decodeMonitorMessage(std::span<const std::uint8_t> bytes, ReceiverMessage& message) {
    if (bytes.size() < 8 || !isUidField(bytes.subspan<2, 5>())) return;
    // The InstanceTag has its F7 right after the uid; the 9-byte messages have a type byte there.
    if (bytes[7] == sysExEnd) {
        const auto event = bytes.subspan(8);
        if (event.empty() || event.size() > 3) return;
        message.event.assign(event.begin(), event.end());
        message.kind = ReceiverMessage::Kind::eventReport;
        message.uid = uidFromField(bytes.subspan<2, 5>());
        return;
    }
    if (bytes.size() != 9 || bytes[8] != sysExEnd) return;
    switch (bytes[7]) {
    case connectRequestType:
        message.kind = ReceiverMessage::Kind::connectRequest;
        break;
    case disconnectRequestType:
        message.kind = ReceiverMessage::Kind::disconnectRequest;
        break;
    case heartbeatType:
        message.kind = ReceiverMessage::Kind::heartbeat;
        break;
    default:
        return;
    }
    message.uid = uidFromField(bytes.subspan<2, 5>());
}

void decodePeakMeterMessage(std::span<const std::uint8_t> bytes, ReceiverMessage& message) {
    if (bytes.size() != 7 || bytes[6] != sysExEnd) return;
    for (std::size_t i = 2; i < 6; ++i)
        if (!isDataByte(bytes[i])) return;
    message.instanceID = bytes[2];
    message.trackNr = bytes[3];
    message.peakL = bytes[4];
    message.peakR = bytes[5];
    message.kind = ReceiverMessage::Kind::peakMeter;
}

std::string uidText(std::uint32_t uid) {
    char text[16];
    std::snprintf(text, sizeof text, "uid=0x%08X", uid);
    return text;
}

} // namespace

ReceiverMessage decodeReceiverMessage(std::span<const std::uint8_t> bytes) {
    ReceiverMessage message;
    message.bytes.assign(bytes.begin(), bytes.end());
    if (bytes.size() >= 2 && bytes[0] == sysExStart) {
        if (bytes[1] == monitorFamily) decodeMonitorMessage(bytes, message);
        if (bytes[1] == peakMeterFamily) decodePeakMeterMessage(bytes, message);
    }
    return message;
}

std::string describe(const ReceiverMessage& message) {
    switch (message.kind) {
    case ReceiverMessage::Kind::heartbeat:
        return "heartbeat " + uidText(message.uid);
    case ReceiverMessage::Kind::connectRequest:
        return "connect " + uidText(message.uid);
    case ReceiverMessage::Kind::disconnectRequest:
        return "disconnect " + uidText(message.uid);
    case ReceiverMessage::Kind::eventReport:
        return "event " + uidText(message.uid) + " " + hexString(message.event);
    case ReceiverMessage::Kind::peakMeter:
        return "peak instance=" + std::to_string(message.instanceID) +
               " track=" + std::to_string(message.trackNr) + " L=" + std::to_string(message.peakL) +
               " R=" + std::to_string(message.peakR);
    case ReceiverMessage::Kind::unknown:
        break;
    }
    return "unknown (" + std::to_string(message.bytes.size()) + " bytes)";
}

std::string hexString(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 3);
    for (const std::uint8_t byte : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02X", byte);
        if (!text.empty()) text += ' ';
        text += pair;
    }
    return text;
}

} // namespace protocol
