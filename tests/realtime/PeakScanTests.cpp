// The vectorised peak scan, for every instruction set this processor runs, against the plain loop
// it replaces, on random blocks of every length and alignment that mix NaN, infinities, denormals
// and full scale into ordinary samples.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include <hwy/targets.h>

#include "meter/common/audiounit/PeakScan.h"

namespace vantrel::meter::test {
namespace {

float plainPeak(const float* samples, std::uint32_t count) {
    float peak = 0.0f;
    for (std::uint32_t i = 0; i < count; ++i)
        if (std::fabs(samples[i]) > peak) peak = std::fabs(samples[i]);
    return peak;
}

struct BlockShape {
    std::uint32_t length;
    std::uint32_t offset; // samples past a 16-byte boundary
};

class PeakScanEquivalence : public ::testing::TestWithParam<BlockShape> {};

TEST_P(PeakScanEquivalence, MatchesThePlainLoopBitForBit) {
    const auto [length, offset] = GetParam();
    constexpr float inf = std::numeric_limits<float>::infinity();
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    const float specials[] = {nan, -nan, std::numeric_limits<float>::signaling_NaN(), inf, -inf,
                              std::numeric_limits<float>::denorm_min(), -1.0e-40f, 1.0f, -1.0f,
                              std::numeric_limits<float>::max(), -0.0f};
    std::mt19937 random(length * 31 + offset);
    std::uniform_real_distribution<float> ordinary(-1.0f, 1.0f);
    std::uniform_int_distribution<std::size_t> special(0, std::size(specials) - 1);
    alignas(16) std::vector<float> storage(length + 4);
    float* block = storage.data() + offset;
    for (int round = 0; round < 200; ++round) {
        // From all special to none, so that NaN lands in every lane and position.
        const int specialPercent = round % 101;
        for (std::uint32_t i = 0; i < length; ++i)
            block[i] = int(random() % 100) < specialPercent ? specials[special(random)] : ordinary(random);
        // The right channel is the block's second half, so that the two differ in length and peak.
        const float* right = block + length / 2;
        const std::uint32_t rightLength = length - length / 2;
        const float expectedLeft = plainPeak(block, length);
        const float expectedRight = plainPeak(right, rightLength);
        for (const std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
            const auto [left, rightPeak] = peakScanFor(target)(block, length, right, rightLength);
            ASSERT_EQ(std::bit_cast<std::uint32_t>(left), std::bit_cast<std::uint32_t>(expectedLeft))
                << hwy::TargetName(target) << ", round " << round << ": " << left << " for " << expectedLeft;
            ASSERT_EQ(std::bit_cast<std::uint32_t>(rightPeak), std::bit_cast<std::uint32_t>(expectedRight))
                << hwy::TargetName(target) << ", round " << round << ": " << rightPeak << " for " << expectedRight;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Blocks, PeakScanEquivalence,
                         ::testing::Values(BlockShape{1, 0}, BlockShape{3, 1}, BlockShape{4, 0},
                                           BlockShape{7, 1}, BlockShape{15, 2}, BlockShape{16, 0},
                                           BlockShape{17, 3}, BlockShape{33, 1}, BlockShape{63, 2}, BlockShape{64, 0}, BlockShape{511, 2},
                                           BlockShape{512, 1}, BlockShape{2048, 0}, BlockShape{2051, 3}));

// Blocks that end where an unreadable page begins, the last sample the loudest: a read past the
// end faults, and a sample left out gives the wrong peak.
TEST(PeakScan, ReadsEveryBlockToItsLastSampleAndNoFurther) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    void* const mapped = mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(mapped, MAP_FAILED);
    ASSERT_EQ(mprotect(static_cast<char*>(mapped) + page, page, PROT_NONE), 0);
    float* const end = reinterpret_cast<float*>(static_cast<char*>(mapped) + page);
    for (std::uint32_t length = 1; length <= 140; ++length) {
        float* const block = end - length;
        for (std::uint32_t i = 0; i < length; ++i)
            block[i] = i % 2 == 0 ? 0.25f : -0.5f;
        block[length - 1] = -0.75f;
        for (const std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
            const auto [left, right] = peakScanFor(target)(block, length, nullptr, 0);
            ASSERT_EQ(left, 0.75f) << hwy::TargetName(target) << ", " << length;
            ASSERT_EQ(right, 0.0f) << hwy::TargetName(target) << ", no samples";
            ASSERT_EQ(peakScanFor(target)(nullptr, 0, block, length).right, 0.75f) << hwy::TargetName(target);
        }
    }
    munmap(mapped, 2 * page);
}

} // namespace
} // namespace vantrel::meter::test
