#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "platform/ui/TextRendering.h"

using namespace platform::ui;

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// The scenario traces show the plug-in views' other nodes; no plug-in view shows a slider there.
TEST(TextRendering, ASliderShowsItsValueRangeLabelsAndIdentifier) {
    const Node node = vStack(Alignment::center, std::nullopt,
                             {
                                 slider({.value = {[] { return 3.5; }, [](double) {}},
                                         .minimum = -24,
                                         .maximum = 24,
                                         .minimumValueLabel = "-24.00",
                                         .maximumValueLabel = "24.00"})
                                     .accessibilityIdentifier("Input Level"),
                                 text("Level: 3.50"),
                             })
                          .padding();
    EXPECT_EQ(renderLines(node),
              (std::vector<std::string>{
                  "vStack alignment=center padding=default",
                  R"(  slider value=3.5 range=-24...24 minimumValueLabel="-24.00" maximumValueLabel="24.00" )"
                  R"(accessibilityIdentifier="Input Level")",
                  R"(  text "Level: 3.50")",
              }));
}

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
