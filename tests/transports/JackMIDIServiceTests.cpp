#include <gtest/gtest.h>

#include <condition_variable>
#include <latch>
#include <memory>
#include <mutex>
#include <thread>
#include <unistd.h>

#include "platform/dispatch/ThreadedExecutor.h"
#include "platform/midi/jack/JackMIDIService.h"
#include "rtguard/RealtimeGuard.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

constexpr std::int32_t receiverID = 0x4B565254;

// Two processes' worth of MIDI service, each its own JACK client, on the private dummy server
// that WithPrivateServers.sh started.
class JackMIDI : public testing::Test {
protected:
    // The sender's client is there first, so that it hears of the receiver's destination
    // appearing, as a plug-in hears of a receiver started after it.
    void SetUp() override {
        sending = std::make_unique<JackMIDIService>(executor, "test-sender");
        ASSERT_EQ(sending->createClient("Plug-in", &senderClient,
                                        [this](const MIDINotification& notification) {
                                            if (notification.messageID == kMIDIMsgSetupChanged) ++setupChanges;
                                        }),
                  noErr);
        receiving = std::make_unique<JackMIDIService>(executor, "test-receiver");
        ASSERT_EQ(receiving->createClient("Receiver", &receiverClient, {}), noErr);
        ASSERT_EQ(receiving->createDestination(receiverClient, "in", &ownDestination,
                                               [this](const MIDIPacketList* list, void*) {
                                                   const MIDIPacket& packet = list->packet[0];
                                                   std::lock_guard guard(mutex);
                                                   received.emplace_back(packet.data, packet.data + packet.length);
                                                   arrived.notify_all();
                                               }),
                  noErr);
        ASSERT_EQ(receiving->setIntegerProperty(ownDestination, kMIDIPropertyUniqueID, receiverID), noErr);
    }

    // Their threads call back into this fixture.
    void TearDown() override {
        sending.reset();
        receiving.reset();
    }

    // The sender's handle of the destination with the receiver's unique ID, as a plug-in finds it.
    MIDIEndpointRef findReceiver() {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (std::chrono::steady_clock::now() < deadline) {
            for (ItemCount i = 0; i < sending->numberOfDestinations(); ++i) {
                std::int32_t id = 0;
                const MIDIEndpointRef endpoint = sending->destination(i);
                if (sending->integerProperty(endpoint, kMIDIPropertyUniqueID, &id) == noErr && id == receiverID)
                    return endpoint;
            }
            std::this_thread::sleep_for(10ms);
        }
        return 0;
    }

    bool waitForLists(std::size_t count) {
        std::unique_lock lock(mutex);
        return arrived.wait_for(lock, 5s, [&] { return received.size() >= count; });
    }

    ThreadedExecutor executor;
    std::unique_ptr<JackMIDIService> receiving;
    std::unique_ptr<JackMIDIService> sending;
    MIDIClientRef receiverClient = 0;
    MIDIClientRef senderClient = 0;
    MIDIEndpointRef ownDestination = 0;
    std::atomic<int> setupChanges{0};
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::vector<std::uint8_t>> received;
};

// A list of two packets, a SysEx of 4 to 43 bytes and a controller, numbered by `sender` and `seq`.
struct NumberedList {
    alignas(MIDIPacketList) std::array<std::byte, 512> storage;
    std::vector<std::uint8_t> bytes;

    NumberedList(std::uint8_t sender, std::uint8_t seq) {
        std::vector<std::uint8_t> sysEx{0xF0, sender, seq};
        sysEx.resize(3 + seq % 40, 0x11);
        sysEx.push_back(0xF7);
        const std::uint8_t controller[3] = {0xB0, 0x07, seq};
        auto* list = reinterpret_cast<MIDIPacketList*>(storage.data());
        MIDIPacket* packet = MIDIPacketListInit(list);
        packet = MIDIPacketListAdd(list, storage.size(), packet, 0, sysEx.size(), sysEx.data());
        MIDIPacketListAdd(list, storage.size(), packet, 0, 3, controller);
        bytes = sysEx;
        bytes.insert(bytes.end(), controller, controller + 3);
    }
    const MIDIPacketList* list() const { return reinterpret_cast<const MIDIPacketList*>(storage.data()); }
};

// A plug-in sends through its one port from its render, timer and main threads at once.
TEST_F(JackMIDI, ListsFromSeveralThreadsOnEachPortArriveWholeAndInOrderWithoutAllocatingOrLocking) {
    const MIDIEndpointRef destination = findReceiver();
    ASSERT_NE(destination, 0u) << "the unique ID did not travel as port metadata";
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (setupChanges.load() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    EXPECT_GT(setupChanges.load(), 0) << "the sender heard of no setup change";
    constexpr std::size_t ports = 2;
    constexpr std::size_t sendersPerPort = 3;
    constexpr std::size_t senders = ports * sendersPerPort;
    constexpr int listsPerSender = 42;
    static_assert(sendersPerPort * listsPerSender <= JackMIDIService::listsPerPort,
                  "a port's senders together fit its queue, so none may fail");
    std::array<MIDIPortRef, ports> portRefs{};
    for (auto& port : portRefs)
        ASSERT_EQ(sending->createOutputPort(senderClient, "out", &port), noErr);
    std::array<std::vector<NumberedList>, senders> lists;
    for (std::uint8_t sender = 0; sender < senders; ++sender) {
        for (int seq = 0; seq < listsPerSender; ++seq)
            lists[sender].emplace_back(sender, static_cast<std::uint8_t>(seq));
    }
    std::array<long, senders> violations{};
    std::array<int, senders> failures{};
    std::latch start(senders);
    std::vector<std::thread> threads;
    for (std::size_t sender = 0; sender < senders; ++sender) {
        threads.emplace_back([&, sender] {
            start.arrive_and_wait();
            platform_test::RealtimeGuard guard;
            // Sent before the route to the destination exists: they wait for it.
            for (const auto& numbered : lists[sender])
                failures[sender] += sending->send(portRefs[sender % ports], destination, numbered.list()) != noErr;
            violations[sender] = guard.violations();
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures, (std::array<int, senders>{}));
    if (platform_test::RealtimeGuard::available()) {
        EXPECT_EQ(violations, (std::array<long, senders>{}));
    }

    ASSERT_TRUE(waitForLists(senders * listsPerSender)) << received.size() << " lists arrived";
    std::lock_guard guard(mutex);
    std::array<std::size_t, senders> next{};
    for (const auto& bytes : received) {
        const std::uint8_t sender = bytes.at(1);
        ASSERT_LT(sender, senders);
        ASSERT_LT(next[sender], lists[sender].size());
        EXPECT_EQ(bytes, lists[sender][next[sender]++].bytes);
    }
}

TEST_F(JackMIDI, RefusedSendsSayWhy) {
    const MIDIEndpointRef destination = findReceiver();
    ASSERT_NE(destination, 0u);
    MIDIPortRef port = 0;
    ASSERT_EQ(sending->createOutputPort(senderClient, "out", &port), noErr);
    alignas(MIDIPacketList) std::array<std::byte, 1024> storage{};
    auto* tooLong = reinterpret_cast<MIDIPacketList*>(storage.data());
    const std::vector<std::uint8_t> sysEx(JackMIDIService::maxListBytes + 1, 0x10);
    MIDIPacketListAdd(tooLong, storage.size(), MIDIPacketListInit(tooLong), 0, sysEx.size(), sysEx.data());
    const NumberedList fine(0, 1);

    struct Refusal {
        MIDIPortRef port;
        MIDIEndpointRef destination;
        const MIDIPacketList* list;
        OSStatus status;
    };
    for (const Refusal& refusal : {Refusal{port, destination, nullptr, paramErr},
                                   Refusal{port + 1000, destination, fine.list(), kMIDIInvalidPort},
                                   Refusal{port, destination + 1000, fine.list(), kMIDIUnknownEndpoint},
                                   Refusal{port, destination, tooLong, kMIDIMessageSendErr}}) {
        EXPECT_EQ(sending->send(refusal.port, refusal.destination, refusal.list), refusal.status);
    }
}

} // namespace
} // namespace platform
