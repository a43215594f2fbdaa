// In a process of its own: the numbers a process hands out from its first instance on.

#include <gtest/gtest.h>

#include "MeterTestBench.h"

namespace vantrel::meter::test {
namespace {

class MeterInstanceNumbers : public MeterTestBench {};

TEST_F(MeterInstanceNumbers, RunFrom1To127ThenStartAgainAt1) {
    for (int expected = 1; expected <= 127; ++expected)
        ASSERT_EQ(createUnit()->instanceID(), expected);
    EXPECT_EQ(createUnit()->instanceID(), 1);
    EXPECT_EQ(createUnit()->instanceID(), 2);
}

} // namespace
} // namespace vantrel::meter::test
