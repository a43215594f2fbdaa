#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <vector>

#include "meter/common/audiounit/PeakMeter.h"

namespace vantrel::meter {
namespace {

constexpr float infinity = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

struct MeterValueCase {
    float peak;
    int value;
    friend void PrintTo(const MeterValueCase& c, std::ostream* out) { *out << c.peak << " -> " << c.value; }
};

class MeterValue : public ::testing::TestWithParam<MeterValueCase> {};

TEST_P(MeterValue, MapsMinus60To0DecibelsOnto0To127) {
    EXPECT_EQ(meterValue(GetParam().peak), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Peaks, MeterValue,
    ::testing::Values(MeterValueCase{1.0f, 127}, MeterValueCase{0.5f, 114}, MeterValueCase{0.25f, 101},
                      MeterValueCase{0.1f, 84}, MeterValueCase{0.01f, 42}, MeterValueCase{0.001f, 0},
                      MeterValueCase{0.00106f, 1}, MeterValueCase{0.0010557f, 0}, MeterValueCase{0.0f, 0},
                      MeterValueCase{1e-30f, 0}, MeterValueCase{std::numeric_limits<float>::denorm_min(), 0},
                      // Just below full scale is not yet 127.
                      MeterValueCase{0.999f, 126}, MeterValueCase{2.0f, 127},
                      MeterValueCase{std::numeric_limits<float>::max(), 127}, MeterValueCase{infinity, 127}));

TEST(BlockPeak, IsTheLargestMagnitude) {
    const std::vector<float> samples{0.1f, -0.7f, 0.3f, -0.0f};
    EXPECT_EQ(blockPeak(samples.data(), 4), 0.7f);
    EXPECT_EQ(blockPeak(samples.data(), 1), 0.1f);
}

TEST(BlockPeak, NaNNeverRaisesItWhereverItStands) {
    const std::vector<float> samples{nan, 0.25f, -nan, -0.5f, nan};
    EXPECT_EQ(blockPeak(samples.data(), 5), 0.5f);
    const std::vector<float> onlyNaN{nan, -nan};
    EXPECT_EQ(blockPeak(onlyNaN.data(), 2), 0.0f);
}

TEST(BlockPeak, InfinityRaisesIt) {
    const std::vector<float> samples{0.5f, -infinity, 0.1f};
    EXPECT_EQ(blockPeak(samples.data(), 3), infinity);
}

TEST(BlockPeak, NoSamplesGiveZero) {
    const std::vector<float> samples{0.9f};
    EXPECT_EQ(blockPeak(samples.data(), 0), 0.0f);
    EXPECT_EQ(blockPeak(nullptr, 512), 0.0f);
}

} // namespace
} // namespace vantrel::meter
