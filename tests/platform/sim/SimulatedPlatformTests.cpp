#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/log/Logger.h"
#include "platform/midi/MIDIServices.h"
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

} // namespace
