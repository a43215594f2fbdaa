// The render path under the real-time rules: counted allocations, frees and locks on the render
// thread, and a render thread racing the timer's drain, connection flips and articulation
// replacement on real threads (run under the thread sanitizer as well).

#include <gmock/gmock.h>

#include <array>
#include <chrono>
#include <thread>

#include "MonitorTestBench.h"
#include "platform/dispatch/ThreadedExecutor.h"
#include "rtguard/RealtimeGuard.h"

namespace vantrel::monitor::test {
namespace {

using platform_test::RealtimeGuard;

// A host MIDI output that only counts, so that the guard sees the render path's own behaviour.
platform::AUMIDIOutputEventBlock countingOutput(std::atomic<long>& count) {
    return [&count](platform::AUEventSampleTime, std::uint8_t, platform::NSInteger, const std::uint8_t*) {
        count.fetch_add(1, std::memory_order_relaxed);
        return std::int32_t{0};
    };
}

class RenderAllocationTest : public MonitorTestBench {};

TEST_F(RenderAllocationTest, RenderingEveryKindOfEventAndAFullQueueAllocatesNothing) {
    if (!RealtimeGuard::available()) GTEST_SKIP() << "allocator is replaced by the sanitizer";
    addDestination();
    std::atomic<long> passedCount{0};
    const auto unit = createUnit();
    unit->setMIDIOutputEventBlock(countingOutput(passedCount));
    unit->allocateRenderResources();
    const auto block = unit->internalRenderBlock();
    connect(*unit);
    post("com.marlek.vantrel.articulations",
         platform::Dictionary{{"names", {"A", "B"}}, {"notes", {24, 25}}});

    EventList mixed;
    mixed.midi({0xB0, 0x07, 0x64}).midi({0xD3, 0x20}).midi({0xE1, 0x00, 0x40}).midi({0x90, 0x18, 0x40});
    mixed.midi({0x91, 0x3C, 0x50})
        .midi({0x9F, 0x3C, 0x51})
        .midi({0xB2, 0x0B})
        .other(platform::AURenderEventMIDISysEx);
    EventList flood;
    for (int value = 0; value < 128; ++value)
        for (const std::uint8_t status : {0xB0, 0xB1, 0xB2})
            flood.midi({status, 0x01, static_cast<std::uint8_t>(value)});
    const platform::AURenderEvent* mixedHead = mixed.head();
    const platform::AURenderEvent* floodHead = flood.head();

    RealtimeGuard guard;
    render(block, mixedHead);
    render(block, floodHead);
    render(block, nullptr);
    EXPECT_EQ(guard.violations(), 0) << "allocations " << guard.allocations() << ", frees " << guard.frees()
                                     << ", mutex locks " << guard.mutexLocks();
    EXPECT_EQ(passedCount.load(), 7 + 384);
}

// The platform of a live run, but with the log kept in memory.
class ThreadedPlatform {
public:
    ThreadedPlatform() {
        platform_.executor = executor_.get();
        platform_.midi = &midi_;
        platform_.notifications = &notifications_;
        platform_.log = &log_;
        platform_.random = &random_;
        platform_.audioUnitFaults = &faults_;
        previous_ = platform::Platform::install(&platform_);
    }
    ~ThreadedPlatform() {
        executor_.reset(); // stops the queues while the services still exist
        platform::Platform::install(previous_);
    }

private:
    std::unique_ptr<platform::ThreadedExecutor> executor_ = std::make_unique<platform::ThreadedExecutor>();
    platform::MIDIService midi_{*executor_};
    platform::NotificationCenter notifications_;
    platform::CapturingLogSink log_;
    platform::RandomGenerator random_{7};
    platform::AudioUnitFaults faults_;
    platform::Platform platform_;
    const platform::Platform* previous_ = nullptr;
};

TEST(MonitorThreadsTest, RenderRacesTheDrainConnectionFlipsAndArticulationChanges) {
    ThreadedPlatform threads;
    platform::MIDIClientRef receiver = 0;
    platform::MIDIClientCreateWithBlock("Receiver", &receiver, {});
    std::atomic<long> reports{0};
    platform::MIDIEndpointRef destination = 0;
    platform::MIDIDestinationCreateWithBlock(
        receiver, "Receiver", &destination, [&reports](const platform::MIDIPacketList* list, void*) {
            // An EventReport's tag is 8 bytes long, ending in F7.
            if (list->packet[0].length >= 8 && list->packet[0].data[7] == 0xF7) reports.fetch_add(1);
        });
    platform::MIDIObjectSetIntegerProperty(destination, platform::kMIDIPropertyUniqueID, protocol::KVRT);

    auto unit =
        VantrelExtensionAudioUnit::create({platform::kAudioUnitType_MIDIProcessor,
                                           platform::fourCharCode("Vntr"), platform::fourCharCode("Mrlk")});
    std::atomic<long> passedCount{0};
    unit->setMIDIOutputEventBlock(countingOutput(passedCount));
    unit->allocateRenderResources();
    const auto block = unit->internalRenderBlock();
    const platform::Dictionary connectInfo{{"uid", unit->uniqueID()}, {"trackName", "Race"}};
    auto& center = platform::NotificationCenter::defaultCenter();
    center.post("com.marlek.vantrel.connect", connectInfo);

    std::atomic<bool> stop{false};
    std::atomic<long> violations{-1};
    std::thread renderThread([&] {
        std::array<platform::AURenderEvent, 4> events{};
        for (std::size_t index = 0; index < events.size(); ++index) {
            events[index].MIDI.eventType = platform::AURenderEventMIDI;
            events[index].MIDI.length = 3;
            events[index].head.next = index + 1 < events.size() ? &events[index + 1] : nullptr;
        }
        std::optional<RealtimeGuard> guard;
        if (RealtimeGuard::available()) guard.emplace();
        for (std::uint8_t value = 0; !stop.load(); ++value) {
            const std::uint8_t data[4][3] = {{0xB0, 0x01, static_cast<std::uint8_t>(value & 0x7F)},
                                             {0xE0, 0x00, static_cast<std::uint8_t>(value >> 1)},
                                             {0x90, static_cast<std::uint8_t>(24 + value % 4), 0x40},
                                             {0x9F, 0x3C, 0x40}};
            for (std::size_t index = 0; index < events.size(); ++index)
                std::copy_n(data[index], 3, events[index].MIDI.data);
            render(block, events.data());
        }
        if (guard) violations = guard->allocations() + guard->frees() + guard->mutexLocks();
    });

    const auto waitFor = [](const auto& condition) {
        while (!condition())
            std::this_thread::yield();
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (std::int64_t round = 0;
         (round < 50 || reports.load() < 300) && std::chrono::steady_clock::now() < deadline; ++round) {
        center.post("com.marlek.vantrel.disconnect", connectInfo);
        waitFor([&] { return !unit->isConnected(); });
        center.post("com.marlek.vantrel.connect", connectInfo);
        waitFor([&] { return unit->isConnected(); });
        const std::vector<std::int64_t> notes{24 + round % 3, 25};
        center.post("com.marlek.vantrel.articulations",
                    platform::Dictionary{{"names", {"A", "B"}}, {"notes", notes}});
        waitFor([&] { return unit->articulationNotes() == notes; });
        const MonitorSnapshot snapshot = unit->monitorSnapshot();
        EXPECT_LE(snapshot.monitorActiveArticulation, 27);
    }
    stop = true;
    renderThread.join();
    unit.reset();

    EXPECT_GE(reports.load(), 300);
    EXPECT_GT(passedCount.load(), 0);
    if (RealtimeGuard::available()) {
        EXPECT_EQ(violations.load(), 0);
    }
}

} // namespace
} // namespace vantrel::monitor::test
