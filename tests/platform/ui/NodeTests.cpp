#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "platform/ui/Layout.h"
#include "platform/ui/Node.h"

using namespace platform::ui;

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

TEST(NodeModifiers, PaddingsAddUpEdgeByEdge) {
    const Node padded =
        text("x").padding(Edges::horizontal, 10).padding(Edges::all, 2).padding(Edges::top, 1);
    EXPECT_EQ(padded.modifiers.padding.insets,
              (EdgeInsets{.top = 3, .leading = 12, .bottom = 2, .trailing = 12}));
    EXPECT_FALSE(padded.modifiers.padding.platformDefault);
}

TEST(NodeModifiers, FramesGivenTwiceKeepTheSizesOfBoth) {
    const Node framed =
        spacer().frame({.maxWidth = infinity}).frame({.height = 12, .alignment = Alignment::leading});
    EXPECT_EQ(
        framed.modifiers.frame,
        (Frame{.width = std::nullopt, .height = 12, .maxWidth = infinity, .alignment = Alignment::leading}));
}

TEST(NodeModifiers, ColourOpacitiesMultiply) {
    EXPECT_DOUBLE_EQ(Color::white().opacity(0.15).opacity(0.5).alpha, 0.075);
    EXPECT_EQ(Color::hsb(0.5, 0.85, 0.9).opacity(0.25), Color::hsb(0.5, 0.85, 0.9, 0.25));
}

TEST(NodeSearch, FindsNodesInRenderingOrderIncludingBackgrounds) {
    const Node root = vStack(Alignment::center, 0,
                             {
                                 text("a").background(text("behind")),
                                 hStack(Alignment::center, 0, {text("b")}),
                                 button(text("c"), ButtonStyle::plain, [] {}),
                             });
    std::vector<std::string> texts;
    for (const Node* node : findNodes(root, [](const Node& n) { return n.kind == NodeKind::text; })) {
        texts.push_back(node->text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"a", "behind", "b", "c"}));
    EXPECT_EQ(findNode(root, [](const Node& n) { return n.kind == NodeKind::slider; }), nullptr);
}

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

struct WidthCase {
    const char* name;
    Node node;
    double available;
    std::optional<double> expected;
};

class WidthResolution : public ::testing::TestWithParam<WidthCase> {};

TEST_P(WidthResolution, FollowsTheFrameOrTheContainer) {
    EXPECT_EQ(resolveWidth(GetParam().node, GetParam().available), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, WidthResolution,
    ::testing::Values(
        WidthCase{"zeroFractionKeepsItsMinimum", spacer().relativeWidth(0.0, 1), 250, 1.0},
        WidthCase{"fullFractionFillsTheContainer", spacer().relativeWidth(1.0, 1), 250, 250.0},
        WidthCase{"fractionOfTheContainer", spacer().relativeWidth(100.0 / 127, 1), 127, 100.0},
        WidthCase{"fixedWidthIgnoresTheContainer", spacer().frame({.width = 40}), 250, 40.0},
        WidthCase{"unboundedFlexibleTakesAll", spacer().frame({.maxWidth = infinity}), 250, 250.0},
        WidthCase{"boundedFlexibleStopsAtItsMaximum", spacer().frame({.maxWidth = 100}), 250, 100.0},
        WidthCase{"contentSized", text("x"), 250, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
