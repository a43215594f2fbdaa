// The meter value at the edges the scenarios' signals do not reach; a window without buffers or
// frames is the pacing scenario's, buffers without data the buffer fuzzer's.

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
                         ::testing::Values(MeterValueCase{0.999f, 126},
                                           MeterValueCase{std::numeric_limits<float>::max(), 127},
                                           MeterValueCase{1e-30f, 0},
                                           MeterValueCase{std::numeric_limits<float>::denorm_min(), 0}));

} // namespace
} // namespace vantrel::meter
