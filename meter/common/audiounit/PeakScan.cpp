// The peak scan, compiled by Highway for every instruction set it reaches on this architecture
// (AVX-512, AVX2, SSE4, SSSE3 and its portable fallback on x86-64) and chosen once at load.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "meter/common/audiounit/PeakScan.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include <hwy/highway.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "meter/common/audiounit/PeakScan.h"

HWY_BEFORE_NAMESPACE();
namespace vantrel::meter::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// The plain loop's step in every lane: a NaN compares false and leaves the peak as it was, so
// the peaks never hold a NaN and their order of reduction cannot change the result. x86's max
// (and Highway's portable one) is that step in one instruction when the peak comes second and
// is never NaN itself: x86's returns its second operand whenever one of the two is NaN, the
// portable one the operand that is no NaN. Other processors' max lets a NaN through, so there
// the comparison is spelled out.
template <class V> HWY_INLINE V raise(V peak, V magnitude) {
#if HWY_ARCH_X86 || HWY_TARGET == HWY_EMU128 || HWY_TARGET == HWY_SCALAR
    return hn::Max(magnitude, peak);
#else
    return hn::IfThenElse(hn::Gt(magnitude, peak), magnitude, peak);
#endif
}

template <class D> HWY_INLINE hn::Vec<D> raiseAt(D d, hn::Vec<D> peak, const float* at) {
    return raise(peak, hn::Abs(hn::LoadU(d, at)));
}

template <class D> HWY_INLINE float lanePeak(D d, hn::Vec<D> peaks) {
    return hn::GetLane(hn::MaxOfLanes(d, peaks));
}

// The peak of one to four vectors' worth of samples, without a loop or a tail: the four loads
// overlap as far as the length needs, and a sample read twice cannot change a maximum.
template <class D> HWY_INLINE float shortPeak(D d, const float* samples, std::size_t count) {
    const std::size_t lanes = hn::Lanes(d);
    const std::size_t last = count - lanes;
    hn::Vec<D> peak = raiseAt(d, hn::Zero(d), samples);
    peak = raiseAt(d, peak, samples + std::min(lanes, last));
    peak = raiseAt(d, peak, samples + std::min(2 * lanes, last));
    peak = raiseAt(d, peak, samples + last);
    return lanePeak(d, peak);
}

// The peak of at least one vector's worth of samples.
template <class D> HWY_INLINE float vectorPeak(D d, const float* samples, std::size_t count) {
    const std::size_t lanes = hn::Lanes(d);
    if (count <= 4 * lanes) return shortPeak(d, samples, count);
    // Four peaks, so that each step waits on the one four loads back rather than the last.
    hn::Vec<D> peak0 = hn::Zero(d);
    hn::Vec<D> peak1 = peak0;
    hn::Vec<D> peak2 = peak0;
    hn::Vec<D> peak3 = peak0;
    std::size_t i = 0;
    for (; i + 4 * lanes <= count; i += 4 * lanes) {
        peak0 = raiseAt(d, peak0, samples + i);
        peak1 = raiseAt(d, peak1, samples + i + lanes);
        peak2 = raiseAt(d, peak2, samples + i + 2 * lanes);
        peak3 = raiseAt(d, peak3, samples + i + 3 * lanes);
    }
    // What is left, under four vectors, as up to three whole ones and the whole one that ends
    // with the block.
    for (; i + lanes < count; i += lanes)
        peak0 = raiseAt(d, peak0, samples + i);
    if (i < count) peak1 = raiseAt(d, peak1, samples + count - lanes);
    return lanePeak(d, hn::Max(hn::Max(peak0, peak1), hn::Max(peak2, peak3)));
}

HWY_INLINE float scanPeak(const float* samples, std::uint32_t count) {
    const hn::ScalableTag<float> floats;
    if (count >= hn::Lanes(floats)) return vectorPeak(floats, samples, count);
    // Blocks shorter than a full vector take four lanes at a time, and fewer than four samples
    // one by one.
    const hn::CappedTag<float, 4> fourLanes;
    if (count >= hn::Lanes(fourLanes)) return vectorPeak(fourLanes, samples, count);
    float peak = 0.0f;
    for (std::uint32_t i = 0; i < count; ++i) {
        const float magnitude = std::fabs(samples[i]);
        if (magnitude > peak) peak = magnitude;
    }
    return peak;
}

StereoPeaks scanPeaks(const float* left, std::uint32_t leftCount, const float* right, std::uint32_t rightCount) {
    return {scanPeak(left, leftCount), scanPeak(right, rightCount)};
}

} // namespace vantrel::meter::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace vantrel::meter {

HWY_EXPORT(scanPeaks);

PeakScan peakScanFor(std::int64_t targets) noexcept {
    hwy::ChosenTarget chosen;
    chosen.Update(targets);
    return HWY_DISPATCH_TABLE(scanPeaks)[chosen.GetIndex()];
}

constinit PeakScan processorPeakScan = &HWY_STATIC_DISPATCH(scanPeaks);

namespace {
[[maybe_unused]] const bool processorPeakScanChosen =
    (processorPeakScan = peakScanFor(hwy::SupportedTargets()), true);
} // namespace

} // namespace vantrel::meter
#endif // HWY_ONCE
