#pragma once
// Compares a picture with a golden PNG, channel by channel with a tolerance, and leaves the
// actual picture and a map of the differences next to the build tree when they differ.

#include <string>

namespace vantrel::render::test {

// Of 255 per channel: antialiasing may differ a little between builds.
constexpr int goldenTolerance = 8;

struct Comparison {
    bool same = false;
    std::string message; // why not, and where the actual picture and the difference map are
};

// `actual` and `golden` are PNG files; a pixel differs when one of its channels is more than
// `tolerance` (of 255) away. The difference map (red: differs) goes to `differencePath`.
Comparison comparePngs(const std::string& actual, const std::string& golden, int tolerance,
                       const std::string& differencePath);

} // namespace vantrel::render::test
