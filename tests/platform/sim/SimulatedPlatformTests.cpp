#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/log/Logger.h"
#include "platform/midi/MIDIServices.h"
#include "platform/sim/LivePlatform.h"
#include "platform/sim/SimulatedPlatform.h"

using namespace platform;

namespace {

TEST(SimulatedPlatformTest, NestedPlatformsPutTheOuterOneBack) {
    SimulatedPlatform outer;
    ASSERT_EQ(&Platform::current(), &outer.platform());
    {
        SimulatedPlatform inner;
        EXPECT_EQ(&Platform::current(), &inner.platform());
        EXPECT_EQ(Platform::current().midi, &inner.midi());
        NSLog("inner");
        EXPECT_NE(inner.applicationSupportDirectory(), outer.applicationSupportDirectory());
    }
    EXPECT_EQ(&Platform::current(), &outer.platform());
    NSLog("outer");
    EXPECT_EQ(outer.log().texts(LogKind::systemLog), std::vector<std::string>{"outer"});
}

TEST(SimulatedPlatformTest, TheApplicationSupportDirectoryIsFreshAndGoesAway) {
    std::filesystem::path directory;
    {
        SimulatedPlatform sim;
        ASSERT_TRUE(sim.applicationSupportDirectory());
        directory = *sim.applicationSupportDirectory();
        EXPECT_TRUE(std::filesystem::is_directory(directory));
        EXPECT_TRUE(std::filesystem::is_empty(directory));
        std::filesystem::create_directories(directory / "Tolvane");
    }
    EXPECT_FALSE(std::filesystem::exists(directory));
}

std::vector<std::uint32_t> draws(RandomGenerator& random) {
    std::vector<std::uint32_t> values;
    for (int i = 0; i < 5; ++i)
        values.push_back(random.next(4294967295u));
    return values;
}

TEST(SimulatedPlatformTest, TheSameSeedDrawsTheSameNumbers) {
    std::vector<std::uint32_t> first, again, other;
    {
        SimulatedPlatform sim(7);
        first = draws(sim.random());
    }
    {
        SimulatedPlatform sim(7);
        again = draws(sim.random());
    }
    {
        SimulatedPlatform sim;
        other = draws(sim.random());
    }
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
}

TEST(SimulatedPlatformTest, TimeStandsStillUntilAdvanced) {
    SimulatedPlatform sim;
    EXPECT_EQ(sim.now(), Duration::zero());
    sim.advance(milliseconds(10));
    EXPECT_EQ(sim.now(), milliseconds(10));
    EXPECT_EQ(dispatchNow(), milliseconds(10));
}

// Disposes of its MIDI client and logs when it goes, as a plug-in instance does.
class Instance {
public:
    Instance() { MIDIClientCreateWithBlock("Vantrel", &client_, nullptr); }
    ~Instance() {
        MIDIClientDispose(client_);
        NSLog("instance gone");
        DispatchQueue::main().async([] {});
    }

private:
    MIDIClientRef client_ = 0;
};

TEST(SimulatedPlatformTest, QueuedWorkIsDroppedWhileTheServicesItUsesStillExist) {
    SimulatedPlatform outer;
    {
        SimulatedPlatform sim;
        auto instance = std::make_shared<Instance>();
        DispatchQueue::main().asyncAfter(seconds(5), [instance] {});
        instance.reset();
        sim.midi().postNotification(kMIDIMsgSetupChanged);
    }
    EXPECT_TRUE(outer.log().records().empty());
    EXPECT_EQ(outer.executor().pendingCount(), 0u);
}

TEST(LivePlatformTest, RunsQueuedWorkOnRealThreadsAndPutsThePreviousPlatformBack) {
    SimulatedPlatform outer;
    {
        LivePlatform live;
        EXPECT_EQ(Platform::current().executor, &live.executor());
        bool ran = false;
        DispatchQueue::main().sync([&] { ran = DispatchQueue::main().isCurrent(); });
        EXPECT_TRUE(ran);
        DispatchQueue::global(QualityOfService::utility).asyncAfter(seconds(60), [] {});
    }
    EXPECT_EQ(&Platform::current(), &outer.platform());
}

} // namespace
