#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "meter/common/audiounit/CallbackGate.h"

namespace vantrel::meter {
namespace {

struct Target {
    int value = 7;
};

TEST(CallbackGate, ACallbackFindsItsTargetUntilTheGateCloses) {
    Target target;
    CallbackGate<Target> gate(&target);
    const auto handle = gate.handle();
    EXPECT_EQ(handle.enter().get(), &target);
    gate.close();
    EXPECT_EQ(handle.enter().get(), nullptr);
}

TEST(CallbackGate, AHandleOutlivesItsGate) {
    Target target;
    auto gate = std::make_unique<CallbackGate<Target>>(&target);
    const auto handle = gate->handle();
    gate.reset();
    EXPECT_EQ(handle.enter().get(), nullptr);
}

// Closing cannot return while a callback is inside: the target would be destroyed under it.
TEST(CallbackGate, ClosingWaitsForTheCallbackInside) {
    Target target;
    CallbackGate<Target> gate(&target);
    const auto handle = gate.handle();
    std::atomic<bool> inside{false}, leave{false}, closed{false};

    std::thread callback([&] {
        const auto entry = handle.enter();
        inside = true;
        while (!leave)
            std::this_thread::yield();
        EXPECT_EQ(entry.get()->value, 7);
    });
    while (!inside)
        std::this_thread::yield();
    std::thread closer([&] {
        gate.close();
        closed = true;
    });
    while (handle.enter().get() != nullptr) // the closer has turned new callbacks away
        std::this_thread::yield();
    EXPECT_FALSE(closed);
    leave = true;
    callback.join();
    closer.join();
    EXPECT_TRUE(closed);
}

} // namespace
} // namespace vantrel::meter
