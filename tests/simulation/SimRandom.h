#pragma once
// The scenario generator's random source: a 64-bit Mersenne Twister read through arithmetic of
// our own, so that one seed gives the same scenario with every standard library.

#include <bit>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace vantrel::simulation {

class SimRandom {
public:
    explicit SimRandom(std::uint64_t seed) : engine_(seed) {}

    std::uint64_t bits() { return engine_(); }
    // 0 ..< bound; 0 when bound is 0.
    std::uint64_t below(std::uint64_t bound) { return bound == 0 ? 0 : bits() % bound; }
    // low ... high, both included.
    std::int64_t between(std::int64_t low, std::int64_t high) {
        return low + static_cast<std::int64_t>(below(static_cast<std::uint64_t>(high - low) + 1));
    }
    // True with probability `p`.
    bool chance(double p) { return static_cast<double>(bits() >> 11) * 0x1.0p-53 < p; }
    template <typename T> const T& pick(const std::vector<T>& choices) {
        return choices[below(choices.size())];
    }

    // A sample for a stress signal: ordinary levels, silence, signed zero, denormals, huge and
    // infinite values and NaNs with assorted payloads.
    float sample() {
        switch (below(16)) {
        case 0:
            return std::numeric_limits<float>::quiet_NaN();
        case 1:
            // Any NaN: quiet or signalling, either sign, any payload.
            return std::bit_cast<float>(static_cast<std::uint32_t>(0x7F800001u | (bits() & 0x803FFFFFu)));
        case 2:
            return chance(0.5) ? std::numeric_limits<float>::infinity()
                               : -std::numeric_limits<float>::infinity();
        case 3:
            return chance(0.5) ? std::numeric_limits<float>::max() : -1e30f;
        case 4:
            return std::bit_cast<float>(static_cast<std::uint32_t>(bits() & 0x807FFFFFu)); // zero or denormal
        case 5:
            return chance(0.5) ? 0.0f : -0.0f;
        case 6:
            return std::bit_cast<float>(static_cast<std::uint32_t>(bits())); // any bit pattern
        default:
            return static_cast<float>(static_cast<double>(between(-2'000'000, 2'000'000)) / 1'000'000.0);
        }
    }
    // Printable text, now and then with quotes, backslashes, newlines and non-ASCII letters.
    std::string text(std::size_t maxLength) {
        static const std::vector<std::string> pieces = {"a",  "Z",  " ", "7", "-", "\"", "\\", "'", "\n",
                                                        "%s", "%@", "{", "ä", "ß", "→",  "🎻",  "\t"};
        std::string result;
        const std::size_t length = below(maxLength + 1);
        for (std::size_t i = 0; i < length; ++i)
            result += chance(0.7) ? std::string(1, static_cast<char>('a' + below(26))) : pick(pieces);
        return result;
    }

private:
    std::mt19937_64 engine_;
};

} // namespace vantrel::simulation
