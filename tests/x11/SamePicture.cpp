// Compares a window's picture with a golden picture as the golden tests compare theirs, for the
// window tests' scripts.
//   same-picture ACTUAL_PNG GOLDEN_PNG
// Exit status 0 when they match, 1 when they differ (why, on standard error), 2 for bad usage.

#include <iostream>
#include <string>

#include "render/PngComparison.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "Usage: same-picture ACTUAL_PNG GOLDEN_PNG\n";
        return 2;
    }
    const std::string actual = argv[1];
    const auto comparison = vantrel::render::test::comparePngs(
        actual, argv[2], vantrel::render::test::goldenTolerance, actual + ".diff.png");
    if (comparison.same) return 0;
    std::cerr << comparison.message << '\n';
    return 1;
}
