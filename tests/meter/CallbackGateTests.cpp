#include <gtest/gtest.h>

#include "meter/common/audiounit/CallbackGate.h"

namespace vantrel::meter {
namespace {

TEST(CallbackGate, ACallbackFindsItsTargetUntilTheGateClosesOrGoes) {
    int target = 7;
    auto gate = std::make_unique<CallbackGate<int>>(&target);
    const auto handle = gate->handle();
    EXPECT_EQ(handle.enter().get(), &target);
    gate->close();
    EXPECT_EQ(handle.enter().get(), nullptr);

    auto second = std::make_unique<CallbackGate<int>>(&target);
    const auto outliving = second->handle();
    second.reset();
    EXPECT_EQ(outliving.enter().get(), nullptr);
}

} // namespace
} // namespace vantrel::meter
