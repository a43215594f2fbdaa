#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/ContentView.h"
#include "app/TolvaneVantrelApp.h"
#include "platform/ui/Layout.h"

using namespace platform::ui;

namespace {

const std::string title = "Tolvane Vantrel";
const std::string hint =
    "Das MIDI FX Plugin ist installiert.\nFüge es in Logic Pro als MIDI FX auf einem Track hinzu.";

TEST(ContentView, StacksTheSymbolTitleAndHintCentredSixteenPointsApart) {
    const Node root = vantrel::ContentView().body();
    ASSERT_EQ(root.kind, NodeKind::vStack);
    EXPECT_EQ(root.alignment, Alignment::center);
    EXPECT_EQ(root.spacing, 16.0);
    ASSERT_EQ(root.children.size(), 3u);

    const Node& symbol = root.children[0];
    EXPECT_EQ(symbol.kind, NodeKind::image);
    EXPECT_EQ(symbol.text, "pianokeys");
    EXPECT_EQ(symbol.modifiers.font, Font::system(40));
    EXPECT_EQ(symbol.modifiers.foreground, Color::secondary());

    const Node& heading = root.children[1];
    EXPECT_EQ(heading.kind, NodeKind::text);
    EXPECT_EQ(heading.text, title);
    EXPECT_EQ(heading.modifiers.font, Font::title2().bold());
    EXPECT_EQ(heading.modifiers.foreground, std::nullopt);

    const Node& body = root.children[2];
    EXPECT_EQ(body.kind, NodeKind::text);
    EXPECT_EQ(body.text, hint);
    EXPECT_EQ(body.modifiers.font, Font::body());
    EXPECT_EQ(body.modifiers.foreground, Color::secondary());
    EXPECT_EQ(body.modifiers.multilineTextAlignment, TextAlignment::center);
}

TEST(ContentView, KeepsTheUmlautAndTheLineBreak) {
    const std::string shown = vantrel::ContentView().body().children[2].text;
    EXPECT_NE(shown.find("F\xC3\xBCge es"), std::string::npos);
    EXPECT_EQ(shown.substr(0, shown.find('\n')), "Das MIDI FX Plugin ist installiert.");
}

TEST(ContentView, IsFourHundredByTwoHundredWithFortyPointsOfPaddingAllRound) {
    const Node root = vantrel::ContentView().body();
    EXPECT_EQ(root.modifiers.frame, (Frame{.width = 400, .height = 200, .alignment = Alignment::center}));
    EXPECT_EQ(root.modifiers.padding,
              (Padding{.insets = {.top = 40, .leading = 40, .bottom = 40, .trailing = 40}}));
    // The hint wraps in what the padding leaves, whatever the window offers.
    const double width = resolveWidth(root, 1000).value();
    EXPECT_EQ(width - root.modifiers.padding.insets.leading - root.modifiers.padding.insets.trailing, 320.0);
}

struct TranslationCase {
    const char* name;
    std::map<std::string, std::string> table;
    std::string shownTitle;
    std::string shownHint;
};

class ContentViewTranslation : public ::testing::TestWithParam<TranslationCase> {};

TEST_P(ContentViewTranslation, ShowsATranslationWhereThereIsOneAndElseTheKey) {
    const Node root = vantrel::ContentView(StringTable(GetParam().table)).body();
    EXPECT_EQ(root.children[1].text, GetParam().shownTitle);
    EXPECT_EQ(root.children[2].text, GetParam().shownHint);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, ContentViewTranslation,
    ::testing::Values(TranslationCase{"empty", {}, title, hint},
                      TranslationCase{"otherKeysOnly", {{"Connect", "Verbinden"}}, title, hint},
                      TranslationCase{"hintTranslated",
                                      {{hint, "The MIDI FX plug-in is installed."}},
                                      title,
                                      "The MIDI FX plug-in is installed."},
                      TranslationCase{"both", {{title, "TV"}, {hint, "Installed."}}, "TV", "Installed."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TolvaneVantrelApp, OpensUntitledWindowsEachWithAFreshContentView) {
    const WindowGroup group = vantrel::TolvaneVantrelApp().body();
    EXPECT_EQ(group.title, std::nullopt);
    const auto first = group.content();
    const auto second = group.content();
    EXPECT_NE(first, second);
    EXPECT_NE(dynamic_cast<vantrel::ContentView*>(first.get()), nullptr);
    EXPECT_EQ(first->body().children[1].text, title);
}

} // namespace
