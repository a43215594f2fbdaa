// What the monitor view shows: the status bar, the connect area and the connected face.

#include <gmock/gmock.h>

#include "MonitorViewTestBench.h"
#include "platform/ui/TextRendering.h"

namespace vantrel::monitor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

class MonitorViewFace : public MonitorViewTestBench {};

TEST_F(MonitorViewFace, ANeverConnectedInstanceShowsTheConnectAreaWithItsIdentityTwice) {
    unit->setFullState(platform::Dictionary{{"qvUniqueID", 42}});
    open();
    EXPECT_THAT(
        shownLines(),
        ElementsAreArray({
            R"(vStack alignment=center spacing=0 width=340 height=500 frameAlignment=center)",
            R"(  hStack alignment=center spacing=6 padding=6,10,6,10)",
            R"(    circle fill=orange width=8 height=8 frameAlignment=center)",
            R"(    text "Not connected" font=11 foreground=secondary)",
            R"(    spacer)",
            R"(    text "0000002A" font=9:monospaced foreground=tertiary)",
            R"(    text "v3.7.5" font=9 foreground=tertiary)",
            R"(  divider opacity=0.3)",
            R"(  vStack alignment=center spacing=16)",
            R"(    spacer)",
            R"(    image "link.badge.plus" font=36 foreground=orange)",
            R"(    text "Select this track in Logic,\nthen press Connect." font=12 foreground=secondary multilineTextAlignment=center)",
            R"(    button style=borderedProminent padding=0,30,0,30)",
            R"(      text "Connect to selected track" font=13:semibold padding=8,0,8,0 maxWidth=inf frameAlignment=center)",
            R"(    text "ID: 0000002A" font=9:monospaced foreground=tertiary)",
            R"(    spacer)",
        }));
}

struct StatusCase {
    std::string name;
    bool connected;
    std::string trackName;
    ui::Color dot;
    std::string label;
    ui::Font labelFont;
    ui::Color labelColor;
    std::optional<int> lineLimit; // a track name of any length stays on one line
};

class MonitorViewStatusBar : public MonitorViewTestBench, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(MonitorViewStatusBar, ShowsTheConnectionTheTrackAndDisconnectOnlyWhileConnected) {
    const StatusCase& expected = GetParam();
    if (expected.connected) connect(*unit, expected.trackName);
    open();
    const ui::Node bar = view->statusBar();
    ASSERT_EQ(bar.children.size(), expected.connected ? 6u : 5u);
    EXPECT_EQ(bar.children[0].kind, ui::NodeKind::circle);
    EXPECT_EQ(bar.children[0].modifiers.fill, ui::Fill(expected.dot));
    const ui::Node& label = bar.children[1];
    EXPECT_EQ(label.text, expected.label);
    EXPECT_EQ(label.modifiers.font, expected.labelFont);
    EXPECT_EQ(label.modifiers.foreground, expected.labelColor);
    EXPECT_EQ(label.modifiers.lineLimit, expected.lineLimit);
    EXPECT_EQ(bar.children[2].kind, ui::NodeKind::spacer);
    if (expected.connected) {
        const ui::Node& disconnect = bar.children[3];
        EXPECT_EQ(disconnect.buttonStyle, ui::ButtonStyle::plain);
        EXPECT_THAT(ui::renderLines(disconnect),
                    ElementsAre("button style=plain", R"(  text "Disconnect" font=10 foreground=red)"));
    }
    EXPECT_EQ(shows(ui::NodeKind::scrollView), expected.connected);
    EXPECT_NE(shows("Connect to selected track"), expected.connected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MonitorViewStatusBar,
    ::testing::Values(StatusCase{"NotConnected", false, "", ui::Color::orange(), "Not connected",
                                 ui::Font::system(11), ui::Color::secondary(), std::nullopt},
                      StatusCase{"ConnectedToATrack", true, "Strings", ui::Color::green(), "Strings",
                                 ui::Font::system(12, ui::Font::Weight::semibold), ui::Color::primary(), 1},
                      StatusCase{"ConnectedWithoutTrackName", true, "", ui::Color::green(), "Not connected",
                                 ui::Font::system(11), ui::Color::secondary(), std::nullopt}),
    [](const auto& info) { return info.param.name; });

TEST_F(MonitorViewFace, WhileConnectedTheSectionsScrollBelowTheDivider) {
    connect(*unit, "Strings");
    open();
    poll();
    const ui::Node root = shown();
    ASSERT_EQ(root.children.size(), 3u);
    const ui::Node& scroll = root.children[2];
    ASSERT_EQ(scroll.kind, ui::NodeKind::scrollView);
    EXPECT_TRUE(scroll.showsIndicators);
    const ui::Node& content = scroll.children.at(0);
    EXPECT_EQ(content.kind, ui::NodeKind::vStack);
    EXPECT_EQ(content.alignment, ui::Alignment::center);
    EXPECT_EQ(content.spacing, 12);
    EXPECT_EQ(content.modifiers.padding.insets, (ui::EdgeInsets{8, 10, 8, 10}));
    // Without articulations only the controller section is there.
    ASSERT_EQ(content.children.size(), 1u);
    EXPECT_EQ(content.children[0].children.at(0).text, "CC");

    postArticulations({"Legato"}, {24});
    poll();
    const ui::Node withArticulations = shown().children[2].children.at(0);
    ASSERT_EQ(withArticulations.children.size(), 2u);
    EXPECT_EQ(withArticulations.children[1].children.at(0).text, "Articulations");
}

} // namespace
} // namespace vantrel::monitor::test
