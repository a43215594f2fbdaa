#include "meter/common/audiounit/PeakMeter.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vantrel::meter {

namespace {

float scalarPeak(const float* samples, std::uint32_t count, float peak) noexcept {
    for (std::uint32_t i = 0; i < count; ++i) {
        const float magnitude = std::fabs(samples[i]);
        if (magnitude > peak) peak = magnitude; // false for NaN
    }
    return peak;
}

#if defined(__SSE2__)
// The compiler does not vectorise a float max reduction without fast-math, so it is spelt out.
// max_ps returns its second operand when either is NaN: with the accumulator second, a NaN
// sample leaves it as it was, and the accumulators never hold a NaN.
float vectorPeak(const float* samples, std::uint32_t count) noexcept {
    const __m128 magnitudeMask = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const auto magnitude = [magnitudeMask](const float* at) {
        return _mm_and_ps(_mm_loadu_ps(at), magnitudeMask);
    };
    // Four accumulators, so that each max waits on the one four loads back rather than the last.
    __m128 acc0 = _mm_setzero_ps();
    __m128 acc1 = _mm_setzero_ps();
    __m128 acc2 = _mm_setzero_ps();
    __m128 acc3 = _mm_setzero_ps();
    std::uint32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        acc0 = _mm_max_ps(magnitude(samples + i), acc0);
        acc1 = _mm_max_ps(magnitude(samples + i + 4), acc1);
        acc2 = _mm_max_ps(magnitude(samples + i + 8), acc2);
        acc3 = _mm_max_ps(magnitude(samples + i + 12), acc3);
    }
    for (; i + 4 <= count; i += 4)
        acc0 = _mm_max_ps(magnitude(samples + i), acc0);
    __m128 acc = _mm_max_ps(_mm_max_ps(acc0, acc1), _mm_max_ps(acc2, acc3));
    acc = _mm_max_ps(acc, _mm_shuffle_ps(acc, acc, _MM_SHUFFLE(1, 0, 3, 2)));
    acc = _mm_max_ps(acc, _mm_shuffle_ps(acc, acc, _MM_SHUFFLE(2, 3, 0, 1)));
    return scalarPeak(samples + i, count - i, _mm_cvtss_f32(acc));
}
#endif

} // namespace

float blockPeak(const float* samples, std::uint32_t count) noexcept {
    if (samples == nullptr) return 0.0f;
#if defined(__SSE2__)
    return vectorPeak(samples, count);
#else
    return scalarPeak(samples, count, 0.0f);
#endif
}

std::uint8_t meterValue(float peak) noexcept {
    const float level = peak > 0.0f ? 20.0f * std::log10(peak) : -100.0f;
    const float value = ((level + 60.0f) / 60.0f) * 127.0f;
    // Limited while still a float: converting an infinite or out-of-range float to an integer is
    // undefined, and a huge peak gives an infinite value.
    const float whole = std::trunc(value);
    if (!(whole > 0.0f)) return 0;
    if (whole >= 127.0f) return 127;
    return static_cast<std::uint8_t>(whole);
}

} // namespace vantrel::meter
