// The peak scan, compiled by Highway for every instruction set it reaches on this architecture
// (AVX-512, AVX2, SSE4, SSSE3 and its portable fallback on x86-64) and chosen once at load.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "meter/common/audiounit/PeakScan.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include <hwy/highway.h>

#include <cmath>
#include <cstddef>
#include <cstdint>

HWY_BEFORE_NAMESPACE();
namespace vantrel::meter::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using Floats = hn::ScalableTag<float>;
using FloatVector = hn::Vec<Floats>;

// The plain loop's step in every lane: a NaN compares false and leaves the peak as it was, so
// the peaks never hold a NaN and their order of reduction cannot change the result.
HWY_INLINE FloatVector raise(FloatVector peak, const float* at) {
    const FloatVector magnitude = hn::Abs(hn::LoadU(Floats(), at));
    return hn::IfThenElse(hn::Gt(magnitude, peak), magnitude, peak);
}

float scanPeak(const float* samples, std::uint32_t count) {
    const Floats floats;
    const std::size_t lanes = hn::Lanes(floats);
    // Four peaks, so that each step waits on the one four loads back rather than the last.
    FloatVector peak0 = hn::Zero(floats);
    FloatVector peak1 = peak0;
    FloatVector peak2 = peak0;
    FloatVector peak3 = peak0;
    std::size_t i = 0;
    for (; i + 4 * lanes <= count; i += 4 * lanes) {
        peak0 = raise(peak0, samples + i);
        peak1 = raise(peak1, samples + i + lanes);
        peak2 = raise(peak2, samples + i + 2 * lanes);
        peak3 = raise(peak3, samples + i + 3 * lanes);
    }
    for (; i + lanes <= count; i += lanes)
        peak0 = raise(peak0, samples + i);
    const FloatVector lanePeaks = hn::Max(hn::Max(peak0, peak1), hn::Max(peak2, peak3));
    float peak = hn::GetLane(hn::MaxOfLanes(floats, lanePeaks));
    // The tail is read sample by sample: a full vector load could cross into an unmapped page.
    for (; i < count; ++i) {
        const float magnitude = std::fabs(samples[i]);
        if (magnitude > peak) peak = magnitude;
    }
    return peak;
}

} // namespace vantrel::meter::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
#include "meter/common/audiounit/PeakMeter.h"
#include "meter/common/audiounit/PeakScan.h"

namespace vantrel::meter {

HWY_EXPORT(scanPeak);

PeakScan peakScanFor(std::int64_t targets) noexcept {
    hwy::ChosenTarget chosen;
    chosen.Update(targets);
    return HWY_DISPATCH_TABLE(scanPeak)[chosen.GetIndex()];
}

namespace {
// Starts as the build's baseline and is set to the processor's best while the library loads,
// before any render thread exists: choosing reads the processor's features, which the render
// thread must not wait on.
constinit PeakScan processorScan = &HWY_STATIC_DISPATCH(scanPeak);
[[maybe_unused]] const bool processorScanChosen = (processorScan = peakScanFor(hwy::SupportedTargets()), true);
} // namespace

float blockPeak(const float* samples, std::uint32_t count) noexcept {
    if (samples == nullptr) return 0.0f;
    return processorScan(samples, count);
}

} // namespace vantrel::meter
#endif // HWY_ONCE
