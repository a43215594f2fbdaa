#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "platform/ui/TextRendering.h"

using namespace platform::ui;

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

TEST(TextRendering, ShowsInvalidUtf8ReplacedAndBothKindsOfPadding) {
    EXPECT_EQ(renderLines(text("a\xff")), std::vector<std::string>{"text \"a\xEF\xBF\xBD\""});
    EXPECT_EQ(renderLines(spacer().padding().padding(Edges::top, 2)),
              std::vector<std::string>{"spacer padding=default+2,0,0,0"});
}

class NumberRendering : public ::testing::TestWithParam<std::pair<double, const char*>> {};

TEST_P(NumberRendering, KeepsAtMostThreeDecimalsWithoutTrailingZeros) {
    const auto [value, expected] = GetParam();
    EXPECT_EQ(renderLines(vStack(Alignment::center, value, {})).front(),
              std::string("vStack alignment=center spacing=") + expected);
}

INSTANTIATE_TEST_SUITE_P(Numbers, NumberRendering,
                         ::testing::Values(std::pair{16.0, "16"}, std::pair{100.0, "100"},
                                           std::pair{0.3, "0.3"}, std::pair{2.5, "2.5"},
                                           std::pair{0.7440944, "0.744"}, std::pair{-24.0, "-24"},
                                           std::pair{-0.0001, "0"}, std::pair{infinity, "inf"},
                                           std::pair{-infinity, "-inf"}));

} // namespace
