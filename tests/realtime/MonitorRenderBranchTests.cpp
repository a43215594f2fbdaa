// The monitor's render path under the guard in each of its branches: linked to the receiver or
// not, with a host MIDI output or without, a queue that overflows, and a block that outlives its
// instance.

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "monitor/MonitorTestBench.h"
#include "rtguard/RealtimeGuard.h"

namespace vantrel::monitor::test {
namespace {

using platform_test::RealtimeGuard;

// Every kind of event the path tells apart, articulation hits and channel-16 notes included:
// eight that pass, three that do not.
EventList everyKind() {
    EventList events;
    events.midi({0xB0, 0x07, 0x64}).midi({0xD3, 0x20}).midi({0xE1, 0x00, 0x40}).midi({0x90, 0x18, 0x40});
    events.midi({0x91, 0x3C, 0x50}).midi({0x9F, 0x3C, 0x51}).midi({0xB2, 0x0B}).midi({0x80, 0x3C, 0x00});
    events.midiWithLength(0, {})
        .midiWithLength(4, {0xB0, 0x01, 0x02})
        .other(platform::AURenderEventMIDISysEx);
    return events;
}

// 384 controller changes: more than the report queue holds.
EventList flood() {
    EventList events;
    for (int value = 0; value < 128; ++value)
        for (const std::uint8_t status : {0xB0, 0xB1, 0xB2})
            events.midi({status, 0x01, static_cast<std::uint8_t>(value)});
    return events;
}

struct Branch {
    std::string name;
    bool connected;
    bool hostOutput;
    bool released = false; // the host let go of the instance and still calls its block
};

class MonitorRenderBranch : public MonitorTestBench, public ::testing::WithParamInterface<Branch> {
protected:
    void SetUp() override {
        if (!RealtimeGuard::available()) GTEST_SKIP() << "allocator is replaced by the sanitizer";
    }
    std::atomic<long> passedCount{0};
};

TEST_P(MonitorRenderBranch, RendersWithoutAllocatingLockingOrCallingTheSystem) {
    const Branch& branch = GetParam();
    receiver.up();
    auto unit = createUnit();
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
    if (branch.released) unit.reset();
    EventList events = everyKind();
    EventList overflow = flood();
    const platform::AURenderEvent* heads[] = {events.head(), overflow.head(), nullptr, events.head()};

    RealtimeGuard guard;
    for (const platform::AURenderEvent* head : heads)
        render(block, head);
    EXPECT_EQ(guard.violations(), 0) << guard.counts();
    EXPECT_EQ(passedCount.load(), branch.hostOutput && !branch.released ? 2 * 8 + 384 : 0);
}

INSTANTIATE_TEST_SUITE_P(Branches, MonitorRenderBranch,
                         ::testing::Values(Branch{"ConnectedWithHostOutput", true, true},
                                           Branch{"NotConnected", false, true},
                                           Branch{"NoHostOutput", true, false},
                                           Branch{"NotConnectedNoHostOutput", false, false},
                                           Branch{"Released", true, true, true}),
                         [](const auto& info) { return info.param.name; });

} // namespace
} // namespace vantrel::monitor::test
