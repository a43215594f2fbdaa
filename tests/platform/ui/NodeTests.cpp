#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "platform/ui/Node.h"

using namespace platform::ui;

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

TEST(NodeModifiers, GivenTwiceCombinePaddingsAddingFramesKeepingBothAndOpacitiesMultiplying) {
    const Node padded = text("x").padding(Edges::horizontal, 10).padding(Edges::all, 2).padding(Edges::top, 1);
    EXPECT_EQ(padded.modifiers.padding.insets, (EdgeInsets{.top = 3, .leading = 12, .bottom = 2, .trailing = 12}));
    EXPECT_FALSE(padded.modifiers.padding.platformDefault);
    const Node framed = spacer().frame({.maxWidth = 80}).frame({.height = 12, .alignment = Alignment::leading});
    EXPECT_EQ(framed.modifiers.frame, (Frame{.height = 12, .maxWidth = 80, .alignment = Alignment::leading}));
    EXPECT_DOUBLE_EQ(Color::white().opacity(0.15).opacity(0.5).alpha, 0.075);
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

} // namespace
