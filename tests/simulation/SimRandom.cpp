#include "SimRandom.h"

#include <bit>
#include <limits>
#include <string>

namespace vantrel::simulation {

float SimRandom::sample() {
    switch (below(16)) {
    case 0:
        return std::numeric_limits<float>::quiet_NaN();
    case 1:
        // Any NaN: quiet or signalling, either sign, any payload.
        return std::bit_cast<float>(static_cast<std::uint32_t>(0x7F800001u | (bits() & 0x803FFFFFu)));
    case 2:
        return chance(0.5) ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
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

std::string SimRandom::text(std::size_t maxLength) {
    static const std::vector<std::string> pieces = {"a",  "Z",  " ", "7", "-", "\"", "\\", "'", "\n",
                                                    "%s", "%@", "{", "ä", "ß", "→",  "🎻",  "\t"};
    std::string result;
    const std::size_t length = below(maxLength + 1);
    for (std::size_t i = 0; i < length; ++i)
        result += chance(0.7) ? std::string(1, static_cast<char>('a' + below(26))) : pick(pieces);
    return result;
}

} // namespace vantrel::simulation
