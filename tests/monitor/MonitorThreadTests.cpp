// A render thread racing the timer's drain, connection flips and articulation replacement on
// real threads (run under the thread sanitizer as well), allocating and locking nothing itself.

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <thread>

#include "receiver/Receiver.h"
#include "platform/dispatch/ThreadedExecutor.h"
#include "platform/sim/InstalledPlatform.h"
#include "rtguard/RealtimeGuard.h"
#include "support/BoundedWait.h"
#include "support/HostedMonitor.h"
#include "support/PluginComponents.h"

namespace vantrel::monitor::test {
namespace {

using namespace vantrel::test;
using platform_test::RealtimeGuard;

TEST(MonitorThreads, RenderRacesTheDrainConnectionFlipsAndArticulationChanges) {
    platform::InstalledPlatform threads(std::make_unique<platform::ThreadedExecutor>(),
                                        std::make_unique<platform::CapturingLogSink>(), 7, std::nullopt);
    vantrel::receiver::Receiver receiver(std::filesystem::temp_directory_path());
    ASSERT_TRUE(receiver.up());
    auto unit = VantrelExtensionAudioUnit::create(monitorComponent());
    std::atomic<long> passed{0};
    unit->setMIDIOutputEventBlock(
        [&passed](platform::AUEventSampleTime, std::uint8_t, platform::NSInteger, const std::uint8_t*) {
            passed.fetch_add(1, std::memory_order_relaxed);
            return std::int32_t{0};
        });
    unit->allocateRenderResources();
    const auto block = unit->internalRenderBlock();
    const auto reports = [&] {
        const auto heard = receiver.monitors();
        return heard.empty() ? 0 : heard.front().events;
    };

    std::atomic<bool> stop{false};
    std::atomic<long> renders{0};
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
            renders.fetch_add(1);
        }
        if (guard) violations = guard->allocations() + guard->frees() + guard->mutexLocks();
    });

    using vantrel::test::waitFor;
    auto& center = platform::NotificationCenter::defaultCenter();
    const platform::Dictionary connectInfo{{"uid", unit->uniqueID()}, {"trackName", "Race"}};
    bool waiting = waitFor([&] { return renders.load() > 0; }, "the render thread");
    for (std::int64_t round = 0; waiting && (round < 50 || reports() < 300); ++round) {
        center.post("com.marlek.vantrel.connect", connectInfo);
        waiting = waitFor([&] { return unit->isConnected(); }, "the connection");
        center.post("com.marlek.vantrel.disconnect", connectInfo);
        waiting = waiting && waitFor([&] { return !unit->isConnected(); }, "the disconnection");
        center.post("com.marlek.vantrel.connect", connectInfo);
        const std::vector<std::int64_t> notes{24 + round % 3, 25};
        center.post("com.marlek.vantrel.articulations",
                    platform::Dictionary{{"names", {"A", "B"}}, {"notes", notes}});
        waiting = waiting && waitFor([&] { return unit->articulationNotes() == notes; }, "the articulations");
        EXPECT_LE(unit->monitorSnapshot().monitorActiveArticulation, 27);
    }
    stop = true;
    renderThread.join();
    unit.reset();

    EXPECT_GE(reports(), 300u);
    EXPECT_GT(passed.load(), 0);
    if (RealtimeGuard::available()) {
        EXPECT_EQ(violations.load(), 0);
    }
}

} // namespace
} // namespace vantrel::monitor::test
