#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "MeterTestBench.h"
#include "rtguard/RealtimeGuard.h"

namespace vantrel::meter::test {
namespace {

using namespace platform;
using platform_test::RealtimeGuard;

class MeterRealtime : public MeterTestBench {
protected:
    // Render calls of 512 frames short of the first mapping check (the 44th send).
    void renderUpToTheFirstMappingCheck(const Unit& unit, HostAudio& audio, int calls = 43 * 4) {
        const auto block = const_cast<Unit&>(unit).internalRenderBlock();
        RealtimeGuard guard;
        for (int call = 0; call < calls; ++call)
            render(block, audio);
        allocations = guard.allocations();
        frees = guard.frees();
    }

    long allocations = -1;
    long frees = -1;
};

TEST_F(MeterRealtime, RenderingAndSendingAllocateNothing) {
    if (!RealtimeGuard::available()) GTEST_SKIP() << "no allocation counting under sanitizers";
    const Receiver receiver;
    const auto unit = createUnit();
    HostAudio audio(512);
    audio.setInput(0, {0.5f, -0.25f});
    renderUpToTheFirstMappingCheck(*unit, audio);
    EXPECT_EQ(receiver.count(), 43u);
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(frees, 0);
}

TEST_F(MeterRealtime, RenderingWithoutALinkAllocatesNothingBetweenScans) {
    if (!RealtimeGuard::available()) GTEST_SKIP() << "no allocation counting under sanitizers";
    const auto unit = createUnit();
    HostAudio audio(512);
    renderUpToTheFirstMappingCheck(*unit, audio, 172);
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(frees, 0);
}

// For the thread sanitizer: the host restores and saves state, allocates render resources and the
// receiver rewrites the mapping file while the render thread sends and, whenever the track is back
// at 0, reads the file.
TEST_F(MeterRealtime, TheHostWritingSavedStateWhileRenderingIsRaceFree) {
    const Receiver receiver;
    const auto unit = createUnit();
    writeMapping(mappingFor(unit->instanceID(), 11, "Strings"));
    const auto block = unit->internalRenderBlock();
    std::atomic<bool> rendering{true};

    std::thread renderThread([&] {
        HostAudio audio(2048);
        audio.setInput(0, {0.5f});
        for (int call = 0; call < 44 * 40; ++call)
            render(block, audio);
        rendering = false;
    });
    for (int round = 0; rendering; ++round) {
        unit->setFullState(
            Dictionary{{"qvTrackNr", round % 2 == 0 ? 0 : 5}, {"qvTrackName", std::to_string(round)}});
        const Dictionary saved = *unit->fullState();
        EXPECT_LE(saved.at("qvTrackNr").get<int>(), 11);
        if (round % 16 == 0) unit->allocateRenderResources();
        if (round % 32 == 0)
            writeMapping(mappingFor(unit->instanceID(), 11, "Strings " + std::to_string(round)));
    }
    renderThread.join();
    EXPECT_EQ(receiver.count(), 44u * 40u);
}

} // namespace
} // namespace vantrel::meter::test
