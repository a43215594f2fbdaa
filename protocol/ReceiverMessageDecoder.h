#pragma once
// The receiver's reading of what arrives at its destination: which message it is and its fields.
// For the receiver substitute, tests and traces; it allocates and never runs on a render thread.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace protocol {

struct ReceiverMessage {
    enum class Kind { heartbeat, connectRequest, disconnectRequest, eventReport, peakMeter, unknown };

    Kind kind = Kind::unknown;
    std::uint32_t uid = 0;                                          // monitor messages
    std::vector<std::uint8_t> event;                                // eventReport: 1 to 3 bytes
    std::uint8_t instanceID = 0, trackNr = 0, peakL = 0, peakR = 0; // peakMeter
    std::vector<std::uint8_t> bytes;                                // everything that was decoded
};

// Reads the bytes of one packet list, its packets joined in order (an EventReport may come as one
// packet or as two). Anything that is not exactly one well-formed message of the protocol, uid
// bytes out of range included, is `unknown`. [any but render]
ReceiverMessage decodeReceiverMessage(std::span<const std::uint8_t> bytes);

// A one-line reading for traces, numbers in hexadecimal, upper case:
//   "heartbeat uid=0x12345678", "connect uid=0x12345678", "disconnect uid=0x12345678",
//   "event uid=0x12345678 B0 07 64", "peak instance=1 track=0 L=127 R=0", "unknown (5 bytes)".
// (The peak fields are decimal.) [any but render]
std::string describe(const ReceiverMessage& message);

// "B0 07 64": upper-case hex pairs separated by single spaces; empty for no bytes. [any but render]
std::string hexString(std::span<const std::uint8_t> bytes);

} // namespace protocol
