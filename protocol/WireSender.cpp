#include "protocol/WireSender.h"

#include <array>
#include <cstddef>
#include <initializer_list>

namespace protocol {

namespace {

constexpr std::size_t packetListSize = 1024;

std::optional<platform::OSStatus> sendParts(platform::MIDIPortRef port, platform::MIDIEndpointRef destination,
                                            std::initializer_list<std::span<const std::uint8_t>> parts,
                                            MIDISendFunction send) {
    if (port == 0 || destination == 0) return std::nullopt;
    // Not cleared: the list's init and add write every byte a reader looks at, and a meter sends
    // from its render thread.
    alignas(std::max_align_t) std::array<std::byte, packetListSize> buffer;
    auto* list = reinterpret_cast<platform::MIDIPacketList*>(buffer.data());
    platform::MIDIPacket* packet = platform::MIDIPacketListInit(list);
    for (const auto part : parts) {
        packet = platform::MIDIPacketListAdd(list, packetListSize, packet, 0, part.size(), part.data());
        if (packet == nullptr) return std::nullopt;
    }
    return send(port, destination, list);
}

} // namespace

std::optional<platform::OSStatus> sendMessage(platform::MIDIPortRef port,
                                              platform::MIDIEndpointRef destination,
                                              std::span<const std::uint8_t> message, MIDISendFunction send) {
    return sendParts(port, destination, {message}, send);
}

std::optional<platform::OSStatus> sendEventReport(platform::MIDIPortRef port,
                                                  platform::MIDIEndpointRef destination,
                                                  const EventReport& report, MIDISendFunction send) {
    return sendParts(port, destination, {report.sysEx, report.event.bytes()}, send);
}

} // namespace protocol
