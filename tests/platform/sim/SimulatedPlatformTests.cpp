#include <gtest/gtest.h>

#include <memory>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/log/Logger.h"
#include "platform/midi/MIDIServices.h"
#include "platform/sim/SimulatedPlatform.h"

using namespace platform;

namespace {

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

TEST(SimulatedPlatformTest, AnInnerPlatformDropsItsQueuedWorkWhileItsServicesStillExistAndPutsTheOuterBack) {
    SimulatedPlatform outer;
    {
        SimulatedPlatform sim;
        EXPECT_EQ(Platform::current().midi, &sim.midi());
        auto instance = std::make_shared<Instance>();
        DispatchQueue::main().asyncAfter(seconds(5), [instance] {});
        instance.reset();
        sim.midi().postNotification(kMIDIMsgSetupChanged);
    }
    EXPECT_EQ(&Platform::current(), &outer.platform());
    EXPECT_TRUE(outer.log().records().empty());
    EXPECT_EQ(outer.executor().pendingCount(), 0u);
}

} // namespace
