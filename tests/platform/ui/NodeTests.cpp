// Nodes: the slider's checks and drags, and the text a tree of nodes renders to.
#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "platform/ui/Node.h"
#include "platform/ui/TextRendering.h"

using namespace platform::ui;

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

// (minimum, maximum, accepted)
class SliderRange : public ::testing::TestWithParam<std::tuple<double, double, bool>> {};

TEST_P(SliderRange, IsAcceptedOnlyWhenProper) {
    const auto [minimum, maximum, accepted] = GetParam();
    if (accepted)
        EXPECT_NO_THROW(slider({.minimum = minimum, .maximum = maximum}));
    else
        EXPECT_THROW(slider({.minimum = minimum, .maximum = maximum}), std::invalid_argument);
}

INSTANTIATE_TEST_SUITE_P(Ranges, SliderRange,
                         ::testing::Values(std::tuple{5.0, 1.0, false}, std::tuple{notANumber, 1.0, false},
                                           std::tuple{0.0, notANumber, false}, std::tuple{3.0, 3.0, true}));

TEST(Slider, DragBracketsItsValuesWithEditingAndHoldsThemToTheRange) {
    std::vector<std::string> events;
    const Node node = slider({
        .value = {[] { return 0.0; },
                  [&](double v) { events.push_back(std::to_string(static_cast<int>(v))); }},
        .minimum = -24,
        .maximum = 24,
        .onEditingChanged = [&](bool editing) { events.push_back(editing ? "begin" : "end"); },
    });
    node.slider->drag({-30, 3, notANumber, 30});
    EXPECT_EQ(events, (std::vector<std::string>{"begin", "-24", "3", "24", "end"}));
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

// Whole numbers and tenths show in every scenario trace; the rest only here.
INSTANTIATE_TEST_SUITE_P(Numbers, NumberRendering,
                         ::testing::Values(std::pair{2.5, "2.5"}, std::pair{0.7440944, "0.744"},
                                           std::pair{-24.0, "-24"}, std::pair{-0.0001, "0"},
                                           std::pair{infinity, "inf"}, std::pair{-infinity, "-inf"}));

} // namespace
