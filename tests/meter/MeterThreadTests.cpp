// Real threads (run under the thread sanitizer as well): a gate closing while a callback is
// inside, and the host saving and restoring state while the render thread sends and reads the
// mapping file. Every wait ends by a deadline that fails the test.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "MeterTestBench.h"
#include "meter/common/audiounit/CallbackGate.h"
#include "support/BoundedWait.h"

namespace vantrel::meter::test {
namespace {

using namespace platform;

using vantrel::test::waitFor;

// Closing cannot return while a callback is inside, a render call or another: the target would be
// destroyed under it.
class CallbackGateThreads : public ::testing::TestWithParam<bool> {};

TEST_P(CallbackGateThreads, ClosingWaitsForTheCallbackInside) {
    const bool fromRender = GetParam();
    int target = 7;
    CallbackGate<int> gate(&target);
    const auto handle = gate.handle();
    std::atomic<bool> inside{false}, leave{false}, closed{false};

    std::thread callback([&] {
        const auto entry = fromRender ? handle.enterFromRender() : handle.enter();
        inside = true;
        waitFor([&] { return leave.load(); }, "the test to let the callback leave");
        EXPECT_EQ(*entry.get(), 7);
    });
    waitFor([&] { return inside.load(); }, "the callback to enter");
    std::thread closer([&] {
        gate.close();
        closed = true;
    });
    // The closer has turned new callbacks away, but cannot return yet.
    waitFor([&] { return handle.enter().get() == nullptr; }, "the gate to close");
    EXPECT_FALSE(closed);
    leave = true;
    callback.join();
    closer.join();
    EXPECT_TRUE(closed);
}

INSTANTIATE_TEST_SUITE_P(Entries, CallbackGateThreads, ::testing::Bool(),
                         [](const auto& entry) { return entry.param ? "Render" : "AnyThread"; });

class MeterThreads : public MeterTestBench {};

// The render thread sends and, whenever the track is back at 0, reads the file; the host
// meanwhile restores and saves state, allocates render resources and the receiver rewrites the
// file.
TEST_F(MeterThreads, TheHostWritingSavedStateWhileRenderingIsRaceFree) {
    receiver.up();
    const auto unit = createUnit();
    ASSERT_TRUE(writeMapping(mappingFor(unit->instanceID(), 11, "Strings")));
    const auto block = unit->internalRenderBlock();
    std::atomic<int> rounds{0};
    std::atomic<bool> rendering{true};

    std::thread renderThread([&] {
        HostAudio audio(2048);
        audio.setInput(0, {0.5f});
        waitFor([&] { return rounds.load() > 0; }, "the host's first round");
        for (int call = 0; call < 44 * 40; ++call)
            render(block, audio);
        rendering = false;
    });
    for (int round = 0; rendering; rounds = ++round) {
        unit->setFullState(
            Dictionary{{"qvTrackNr", round % 2 == 0 ? 0 : 5}, {"qvTrackName", std::to_string(round)}});
        EXPECT_LE(unit->fullState()->at("qvTrackNr").get<int>(), 11);
        if (round % 16 == 0) unit->allocateRenderResources();
        if (round % 32 == 0)
            writeMapping(mappingFor(unit->instanceID(), 11, "Strings " + std::to_string(round)));
    }
    renderThread.join();
    EXPECT_EQ(heardFrom(*unit).messages, 44u * 40u);
}

} // namespace
} // namespace vantrel::meter::test
