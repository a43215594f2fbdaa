// The meter value at the edges the scenarios' signals do not reach.

#include <gtest/gtest.h>

#include <limits>

#include "meter/common/audiounit/PeakMeter.h"

namespace vantrel::meter {
namespace {

struct MeterValueCase {
    float peak;
    int value;
};

class MeterValue : public ::testing::TestWithParam<MeterValueCase> {};

TEST_P(MeterValue, MapsMinus60To0DecibelsOnto0To127) {
    EXPECT_EQ(meterValue(GetParam().peak), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Peaks, MeterValue,
                         ::testing::Values(MeterValueCase{0.999f, 126}, MeterValueCase{2.0f, 127},
                                           MeterValueCase{std::numeric_limits<float>::max(), 127},
                                           MeterValueCase{1e-30f, 0},
                                           MeterValueCase{std::numeric_limits<float>::denorm_min(), 0},
                                           MeterValueCase{0.0f, 0}));

TEST(BlockPeak, OfNoSamplesIsZero) {
    const float sample = 0.9f;
    EXPECT_EQ(blockPeak(&sample, 0), 0.0f);
    EXPECT_EQ(blockPeak(nullptr, 512), 0.0f);
}

} // namespace
} // namespace vantrel::meter
