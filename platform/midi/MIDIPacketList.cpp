#include <cstddef>
#include <cstring>
#include <limits>

#include "platform/midi/MIDIServices.h"

namespace platform {

namespace {

constexpr std::size_t packetHeaderSize = offsetof(MIDIPacket, data);

std::uintptr_t aligned(std::uintptr_t address) {
    constexpr std::uintptr_t alignment = alignof(MIDIPacket);
    return (address + alignment - 1) & ~(alignment - 1);
}

} // namespace

MIDIPacket* MIDIPacketListInit(MIDIPacketList* list) {
    if (list == nullptr) return nullptr;
    list->numPackets = 0;
    return list->packet;
}

const MIDIPacket* MIDIPacketNext(const MIDIPacket* packet) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(packet);
    const auto end = reinterpret_cast<std::uintptr_t>(bytes + packetHeaderSize + packet->length);
    return reinterpret_cast<const MIDIPacket*>(aligned(end));
}

MIDIPacket* MIDIPacketNext(MIDIPacket* packet) {
    return const_cast<MIDIPacket*>(MIDIPacketNext(static_cast<const MIDIPacket*>(packet)));
}

MIDIPacket* MIDIPacketListAdd(MIDIPacketList* list, std::size_t listSize, MIDIPacket* current,
                              MIDITimeStamp time, std::size_t nData, const std::uint8_t* data) {
    if (list == nullptr || current == nullptr || (data == nullptr && nData > 0)) return nullptr;
    if (nData > std::numeric_limits<std::uint16_t>::max()) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(list);
    // Whether `size` bytes from `address` lie inside the list's buffer.
    const auto fits = [&](std::uintptr_t address, std::size_t size) {
        return address >= start && address - start <= listSize && listSize - (address - start) >= size;
    };
    if (list->numPackets > 0 && !fits(reinterpret_cast<std::uintptr_t>(current), packetHeaderSize))
        return nullptr;
    MIDIPacket* packet = list->numPackets == 0 ? list->packet : MIDIPacketNext(current);
    if (!fits(reinterpret_cast<std::uintptr_t>(packet), packetHeaderSize + nData)) return nullptr;

    packet->timeStamp = time;
    packet->length = static_cast<std::uint16_t>(nData);
    if (nData > 0) std::memcpy(reinterpret_cast<std::uint8_t*>(packet) + packetHeaderSize, data, nData);
    ++list->numPackets;
    return packet;
}

} // namespace platform
