#include <gtest/gtest.h>

#include <cstddef>
#include <numeric>
#include <vector>

#include "platform/midi/MIDIServices.h"

using namespace platform;

namespace {

constexpr std::size_t room = 1024 - offsetof(MIDIPacketList, packet) - offsetof(MIDIPacket, data);

class MIDIPacketListTest : public ::testing::Test {
protected:
    MIDIPacketList* list() { return reinterpret_cast<MIDIPacketList*>(buffer); }

    alignas(MIDIPacketList) std::uint8_t buffer[1024] = {};
};

// (bytes in one packet, whether it fits a 1024-byte list)
class PacketSize : public MIDIPacketListTest,
                   public ::testing::WithParamInterface<std::pair<std::size_t, bool>> {};

TEST_P(PacketSize, OnePacketFitsExactlyWhenItsBytesFit) {
    const auto [size, fits] = GetParam();
    std::vector<std::uint8_t> data(size);
    std::iota(data.begin(), data.end(), std::uint8_t{0});
    const MIDIPacket* packet =
        MIDIPacketListAdd(list(), sizeof buffer, MIDIPacketListInit(list()), 0, size, data.data());
    EXPECT_EQ(packet != nullptr, fits);
    EXPECT_EQ(list()->numPackets, fits ? 1u : 0u);
    if (fits) {
        EXPECT_EQ(std::vector(packet->data, packet->data + packet->length), data);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PacketSize,
                         ::testing::Values(std::pair<std::size_t, bool>{0, true},
                                           std::pair<std::size_t, bool>{300, true},
                                           std::pair<std::size_t, bool>{room, true},
                                           std::pair<std::size_t, bool>{room + 1, false},
                                           std::pair<std::size_t, bool>{1024, false}));

TEST_F(MIDIPacketListTest, PacketsAddedUntilFullStayAlignedInsideTheBuffer) {
    const std::uint8_t note[] = {0x90, 0x3C, 0x64};
    MIDIPacket* packet = MIDIPacketListInit(list());
    while (MIDIPacket* next = MIDIPacketListAdd(list(), sizeof buffer, packet, 0, sizeof note, note)) {
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(next) % alignof(MIDIPacket), 0u);
        packet = next;
    }
    EXPECT_GT(list()->numPackets, 50u);
    EXPECT_LE(packet->data + sizeof note, buffer + sizeof buffer);
}

TEST_F(MIDIPacketListTest, NullArgumentsAndPacketsLongerThanTheLengthFieldGiveNull) {
    const std::uint8_t note[] = {0x90, 0x3C, 0x64};
    MIDIPacket* packet = MIDIPacketListInit(list());
    EXPECT_EQ(MIDIPacketListInit(nullptr), nullptr);
    EXPECT_EQ(MIDIPacketListAdd(nullptr, sizeof buffer, packet, 0, 3, note), nullptr);
    EXPECT_EQ(MIDIPacketListAdd(list(), sizeof buffer, nullptr, 0, 3, note), nullptr);
    EXPECT_EQ(MIDIPacketListAdd(list(), sizeof buffer, packet, 0, 3, nullptr), nullptr);
    EXPECT_EQ(MIDIPacketListAdd(list(), 2, packet, 0, 0, note), nullptr);
    EXPECT_EQ(list()->numPackets, 0u);

    std::vector<std::uint8_t> storage(200000), data(65536);
    auto* large = reinterpret_cast<MIDIPacketList*>(storage.data());
    MIDIPacket* first = MIDIPacketListInit(large);
    EXPECT_EQ(MIDIPacketListAdd(large, storage.size(), first, 0, data.size(), data.data()), nullptr);
    EXPECT_NE(MIDIPacketListAdd(large, storage.size(), first, 0, data.size() - 1, data.data()), nullptr);
}

} // namespace
