#pragma once
// The peak scan compiled once per instruction set, for choosing among them.

#include <cstdint>

namespace vantrel::meter {

using PeakScan = float (*)(const float* samples, std::uint32_t count);

// The scan for the widest of the given Highway targets (HWY_AVX3 | HWY_AVX2 | ...) that was
// compiled in; `blockPeak` runs the one for the processor's own. All give the same results.
PeakScan peakScanFor(std::int64_t targets) noexcept;

} // namespace vantrel::meter
