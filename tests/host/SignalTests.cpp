#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "host/script/Signal.h"

namespace vantrel::host {
namespace {

constexpr double rate = 44100;

TEST(Signal, SilenceAndConstants) {
    EXPECT_EQ(parseSignal("silence").sampleAt(17, rate), 0.0f);
    EXPECT_EQ(parseSignal("dc:-0.25").sampleAt(17, rate), -0.25f);
    EXPECT_TRUE(std::isnan(parseSignal("nan").sampleAt(0, rate)));
    EXPECT_TRUE(std::isinf(parseSignal("inf").sampleAt(0, rate)));
}

TEST(Signal, SineStartsAtZeroAndPeaksAQuarterPeriodLater) {
    const Signal sine = parseSignal("sine:0.5:441"); // 100 frames per period at 44100 Hz
    EXPECT_NEAR(sine.sampleAt(0, rate), 0.0, 1e-7);
    EXPECT_NEAR(sine.sampleAt(25, rate), 0.5, 1e-6);
    EXPECT_NEAR(sine.sampleAt(75, rate), -0.5, 1e-6);
}

TEST(Signal, ImpulseLandsOnItsFrameOnly) {
    const Signal impulse = parseSignal("impulse:1:3000");
    EXPECT_EQ(impulse.sampleAt(2999, rate), 0.0f);
    EXPECT_EQ(impulse.sampleAt(3000, rate), 1.0f);
    EXPECT_EQ(impulse.sampleAt(3001, rate), 0.0f);
}

TEST(Signal, SamplesRepeatToFill) {
    const Signal samples = parseSignal("samples:0.5,-1,nan");
    EXPECT_EQ(samples.sampleAt(0, rate), 0.5f);
    EXPECT_EQ(samples.sampleAt(4, rate), -1.0f);
    EXPECT_TRUE(std::isnan(samples.sampleAt(5, rate)));
}

class BadSignals : public testing::TestWithParam<const char*> {};

TEST_P(BadSignals, AreRefused) {
    EXPECT_THROW(parseSignal(GetParam()), std::invalid_argument);
}

INSTANTIATE_TEST_SUITE_P(Signal, BadSignals,
                         testing::Values("noise", "dc", "dc:x", "dc:1:2", "sine:1", "impulse:1:-3",
                                         "samples:", "samples:1,,2", "silence:1", ""));

} // namespace
} // namespace vantrel::host
