// The monitor's render path under the guard in the branches the monitor's own suite leaves out:
// no link to the receiver, no host MIDI output, and a block that outlives its instance.

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "monitor/MonitorTestBench.h"
#include "rtguard/RealtimeGuard.h"

namespace vantrel::monitor::test {
namespace {

using platform_test::RealtimeGuard;

struct Branch {
    std::string name;
    bool connected;
    bool hostOutput;
};

class MonitorRenderBranch : public MonitorTestBench, public ::testing::WithParamInterface<Branch> {
protected:
    // Every kind of event the path tells apart, articulation hits and channel-16 notes included.
    static EventList everyKind() {
        EventList events;
        events.midi({0xB0, 0x07, 0x64}).midi({0xD3, 0x20}).midi({0xE1, 0x00, 0x40}).midi({0x90, 0x18, 0x40});
        events.midi({0x91, 0x3C, 0x50}).midi({0x9F, 0x3C, 0x51}).midi({0xB2, 0x0B}).midi({0x80, 0x3C, 0x00});
        events.midiWithLength(0, {})
            .midiWithLength(4, {0xB0, 0x01, 0x02})
            .other(platform::AURenderEventMIDISysEx);
        return events;
    }

    std::atomic<long> passedCount{0};
};

TEST_P(MonitorRenderBranch, RendersWithoutAllocatingLockingOrCallingTheSystem) {
    if (!RealtimeGuard::available()) GTEST_SKIP() << "allocator is replaced by the sanitizer";
    const Branch& branch = GetParam();
    addDestination();
    const auto unit = createUnit();
    if (branch.hostOutput) {
        unit->setMIDIOutputEventBlock(
            [this](platform::AUEventSampleTime, std::uint8_t, platform::NSInteger, const std::uint8_t*) {
                passedCount.fetch_add(1, std::memory_order_relaxed);
                return std::int32_t{0};
            });
    }
    unit->allocateRenderResources();
    if (branch.connected) connect(*unit);
    post("com.marlek.vantrel.articulations", platform::Dictionary{{"names", {"A"}}, {"notes", {24}}});
    ASSERT_EQ(unit->isConnected(), branch.connected);
    const auto block = unit->internalRenderBlock();
    EventList events = everyKind();
    const platform::AURenderEvent* head = events.head();

    RealtimeGuard guard;
    for (int cycle = 0; cycle < 4; ++cycle)
        render(block, head);
    EXPECT_EQ(guard.violations(), 0) << "allocations " << guard.allocations() << ", frees " << guard.frees()
                                     << ", mutex locks " << guard.mutexLocks() << ", system calls "
                                     << guard.systemCalls();
    EXPECT_EQ(passedCount.load(), branch.hostOutput ? 4 * 8 : 0);
}

INSTANTIATE_TEST_SUITE_P(Branches, MonitorRenderBranch,
                         ::testing::Values(Branch{"NotConnected", false, true},
                                           Branch{"NoHostOutput", true, false},
                                           Branch{"NotConnectedNoHostOutput", false, false}),
                         [](const auto& info) { return info.param.name; });

TEST_F(MonitorRenderBranch, ABlockThatOutlivesItsInstanceDoesNothingAndStaysClean) {
    if (!RealtimeGuard::available()) GTEST_SKIP() << "allocator is replaced by the sanitizer";
    addDestination();
    auto unit = createRenderingUnit();
    connect(*unit);
    const auto block = unit->internalRenderBlock();
    unit.reset();
    EventList events = everyKind();
    const platform::AURenderEvent* head = events.head();

    RealtimeGuard guard;
    render(block, head);
    EXPECT_EQ(guard.violations(), 0);
    EXPECT_TRUE(passed.empty());
}

} // namespace
} // namespace vantrel::monitor::test
