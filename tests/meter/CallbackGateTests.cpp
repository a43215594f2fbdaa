#include <gtest/gtest.h>

#include "meter/common/audiounit/CallbackGate.h"

namespace vantrel::meter {
namespace {

TEST(CallbackGate, ACallbackFindsItsTargetUntilTheGateClosesOrGoes) {
    int target = 7;
    auto gate = std::make_unique<CallbackGate<int>>(&target);
    const auto handle = gate->handle();
    EXPECT_EQ(handle.enter().get(), &target);
    EXPECT_EQ(handle.enterFromRender().get(), &target);
    gate->close();
    EXPECT_EQ(handle.enter().get(), nullptr);
    EXPECT_EQ(handle.enterFromRender().get(), nullptr);

    auto second = std::make_unique<CallbackGate<int>>(&target);
    const auto outliving = second->handle();
    second.reset();
    EXPECT_EQ(outliving.enter().get(), nullptr);
    EXPECT_EQ(outliving.enterFromRender().get(), nullptr);
}

} // namespace
} // namespace vantrel::meter
