#include <gtest/gtest.h>

#include <cstddef>
#include <numeric>
#include <vector>

#include "platform/midi/MIDIServices.h"

using namespace platform;

namespace {

constexpr std::size_t listHeader = offsetof(MIDIPacketList, packet);
constexpr std::size_t packetHeader = offsetof(MIDIPacket, data);

class MIDIPacketListTest : public ::testing::Test {
protected:
    MIDIPacketList* list() { return reinterpret_cast<MIDIPacketList*>(buffer); }

    alignas(MIDIPacketList) std::uint8_t buffer[1024] = {};
};

TEST_F(MIDIPacketListTest, PacketsFollowEachOtherAndReadBackInOrder) {
    const std::uint8_t note[] = {0x90, 0x3C, 0x64};
    const std::uint8_t sysex[] = {0xF0, 0x7D, 0x01, 0x02, 0xF7};
    MIDIPacket* packet = MIDIPacketListInit(list());
    EXPECT_EQ(packet, list()->packet);
    packet = MIDIPacketListAdd(list(), sizeof buffer, packet, 10, sizeof note, note);
    ASSERT_NE(packet, nullptr);
    packet = MIDIPacketListAdd(list(), sizeof buffer, packet, 10, sizeof sysex, sysex);
    ASSERT_NE(packet, nullptr);
    ASSERT_EQ(list()->numPackets, 2u);

    const MIDIPacket* first = list()->packet;
    const MIDIPacket* second = MIDIPacketNext(first);
    EXPECT_EQ(second, packet);
    EXPECT_EQ(first->timeStamp, 10u);
    EXPECT_EQ(std::vector(first->data, first->data + first->length),
              std::vector(std::begin(note), std::end(note)));
    EXPECT_EQ(std::vector(second->data, second->data + second->length),
              std::vector(std::begin(sysex), std::end(sysex)));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(second) % alignof(MIDIPacket), 0u);
}

TEST_F(MIDIPacketListTest, AddingUntilFullReturnsNullAndKeepsWhatFits) {
    const std::uint8_t note[] = {0x90, 0x3C, 0x64};
    MIDIPacket* packet = MIDIPacketListInit(list());
    std::uint32_t added = 0;
    while (MIDIPacket* next = MIDIPacketListAdd(list(), sizeof buffer, packet, 0, sizeof note, note)) {
        packet = next;
        ++added;
    }
    EXPECT_EQ(list()->numPackets, added);
    // The last packet ends inside the buffer; another would not.
    const auto lastEnd = reinterpret_cast<std::uint8_t*>(packet) + packetHeader + sizeof note;
    EXPECT_LE(lastEnd, buffer + sizeof buffer);
    const auto nextStart = reinterpret_cast<const std::uint8_t*>(MIDIPacketNext(packet));
    EXPECT_GT(nextStart + packetHeader + sizeof note, buffer + sizeof buffer);
    EXPECT_GT(added, 50u);
}

// (bytes in one packet, whether it fits a 1024-byte list)
class PacketSizeTest : public MIDIPacketListTest,
                       public ::testing::WithParamInterface<std::pair<std::size_t, bool>> {};

TEST_P(PacketSizeTest, OnePacketFitsExactlyWhenItsBytesFit) {
    const auto [size, fits] = GetParam();
    std::vector<std::uint8_t> data(size);
    std::iota(data.begin(), data.end(), std::uint8_t{0});
    MIDIPacket* packet =
        MIDIPacketListAdd(list(), sizeof buffer, MIDIPacketListInit(list()), 0, size, data.data());
    EXPECT_EQ(packet != nullptr, fits);
    EXPECT_EQ(list()->numPackets, fits ? 1u : 0u);
    if (fits) {
        EXPECT_EQ(std::vector(packet->data, packet->data + packet->length), data);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, PacketSizeTest,
    ::testing::Values(std::pair<std::size_t, bool>{0, true}, std::pair<std::size_t, bool>{3, true},
                      std::pair<std::size_t, bool>{256, true}, std::pair<std::size_t, bool>{300, true},
                      std::pair<std::size_t, bool>{1024 - listHeader - packetHeader, true},
                      std::pair<std::size_t, bool>{1024 - listHeader - packetHeader + 1, false},
                      std::pair<std::size_t, bool>{1024, false}));

TEST(MIDIPacketListLimits, APacketLongerThanItsLengthFieldIsRefusedEvenWithRoom) {
    std::vector<std::uint8_t> storage(200000);
    std::vector<std::uint8_t> data(65536);
    auto* list = reinterpret_cast<MIDIPacketList*>(storage.data());
    MIDIPacket* first = MIDIPacketListInit(list);
    EXPECT_EQ(MIDIPacketListAdd(list, storage.size(), first, 0, data.size(), data.data()), nullptr);
    EXPECT_NE(MIDIPacketListAdd(list, storage.size(), first, 0, data.size() - 1, data.data()), nullptr);
}

TEST_F(MIDIPacketListTest, NullArgumentsGiveNull) {
    const std::uint8_t note[] = {0x90, 0x3C, 0x64};
    MIDIPacket* packet = MIDIPacketListInit(list());
    EXPECT_EQ(MIDIPacketListInit(nullptr), nullptr);
    EXPECT_EQ(MIDIPacketListAdd(nullptr, sizeof buffer, packet, 0, 3, note), nullptr);
    EXPECT_EQ(MIDIPacketListAdd(list(), sizeof buffer, nullptr, 0, 3, note), nullptr);
    EXPECT_EQ(MIDIPacketListAdd(list(), sizeof buffer, packet, 0, 3, nullptr), nullptr);
    EXPECT_EQ(MIDIPacketListAdd(list(), 2, packet, 0, 0, note), nullptr);
    EXPECT_EQ(list()->numPackets, 0u);
}

} // namespace
