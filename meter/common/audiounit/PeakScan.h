#pragma once
// The peak scan compiled once per instruction set, for choosing among them.

#include <cstdint>

namespace vantrel::meter {

using PeakScan = float (*)(const float* samples, std::uint32_t count);

// The scan for the widest of the given Highway targets (HWY_AVX3 | HWY_AVX2 | ...) that was
// compiled in. All give the same results.
PeakScan peakScanFor(std::int64_t targets) noexcept;

// What `blockPeak` runs: the build's baseline scan, set to the processor's widest while the
// library loads, before any render thread exists, since choosing reads the processor's features.
// Nothing writes it afterwards.
extern PeakScan processorPeakScan;

} // namespace vantrel::meter
