#pragma once
// The peak scan compiled once per instruction set, for choosing among them.

#include <cstdint>

namespace vantrel::meter {

struct StereoPeaks {
    float left;
    float right;
};

// Both channels in one call, so that a render call pays one indirect call for them.
using PeakScan = StereoPeaks (*)(const float* left, std::uint32_t leftCount, const float* right,
                                 std::uint32_t rightCount);

// The scan for the widest of the given Highway targets (HWY_AVX3 | HWY_AVX2 | ...) that was
// compiled in. All give the same results.
PeakScan peakScanFor(std::int64_t targets) noexcept;

// What `stereoPeaks` runs: the build's baseline scan, set to the processor's widest while the
// library loads, before any render thread exists, since choosing reads the processor's features.
// Nothing writes it afterwards.
extern PeakScan processorPeakScan;

} // namespace vantrel::meter
