#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "platform/ui/TextRendering.h"

using namespace platform::ui;

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr auto continuous = RoundedCornerStyle::continuous;
const Color violet = Color::hsb(0.75 * (1 - 1.0 / 127), 0.85, 0.9);
const Color red = Color::hsb(0, 0.85, 0.9);

struct RenderingCase {
    const char* name;
    std::function<Node()> build;
    std::vector<std::string> expected;
};

class TextRendering : public ::testing::TestWithParam<RenderingCase> {};

TEST_P(TextRendering, PrintsOneNodePerLineWithItsAttributesInFixedOrder) {
    EXPECT_EQ(renderLines(GetParam().build()), GetParam().expected);
}

Node statusBar() {
    return vStack(
               Alignment::center, 0,
               {
                   hStack(Alignment::center, 6,
                          {
                              circle().fill(Color::green()).frame({.width = 8, .height = 8}),
                              text("Track \"A\"")
                                  .lineLimit(1)
                                  .truncationMode(TruncationMode::tail)
                                  .foregroundStyle(Color::primary())
                                  .font(Font::system(12, Font::Weight::semibold)),
                              spacer(),
                              button(text("Disconnect").font(Font::system(10)).foregroundStyle(Color::red()),
                                     ButtonStyle::plain, [] {}),
                              text("0000002A")
                                  .font(Font::system(9, Font::Weight::regular, Font::Design::monospaced))
                                  .foregroundStyle(Color::tertiary()),
                          })
                       .padding(Edges::horizontal, 10)
                       .padding(Edges::vertical, 6),
                   divider().opacity(0.3),
               })
        .frame({.width = 340, .height = 500});
}

Node gridWithBackgroundAndBars() {
    const GridItem column{.minimum = 10, .spacing = 4};
    return lazyVGrid(
        {column, column}, 3,
        {
            hStack(Alignment::center, 4,
                   {
                       circle().fill(violet).frame({.width = 6, .height = 6}),
                       text("Legato\nshort").font(Font::system(10).bold()).foregroundStyle(Color::white()),
                   })
                .padding(Edges::horizontal, 6)
                .padding(Edges::vertical, 4)
                .background(roundedRectangle(4, continuous).fill(red.opacity(0.25)))
                .id(0),
            zStack(Alignment::leading,
                   {
                       roundedRectangle(3, continuous)
                           .fill(Color::white().opacity(0.08))
                           .frame({.maxWidth = infinity}),
                       roundedRectangle(3, continuous)
                           .fill(LinearGradient{.stops = {violet, red}})
                           .relativeWidth(0.5, 1),
                   })
                .frame({.height = 12})
                .id(1),
        });
}

Node scrollingSections() {
    return scrollView(
        true,
        vStack(Alignment::leading, 12,
               {
                   systemImage("link.badge.plus").font(Font::system(36)).foregroundStyle(Color::orange()),
                   text("Füge").font(Font::title2().bold()).multilineTextAlignment(TextAlignment::center),
                   text("Body").font(Font::body()).foregroundStyle(Color::accent()),
               })
            .padding(Edges::horizontal, 10)
            .padding(Edges::vertical, 8));
}

Node sliderWithLabels() {
    return vStack(Alignment::center, std::nullopt,
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
}

INSTANTIATE_TEST_SUITE_P(
    Trees, TextRendering,
    ::testing::Values(
        RenderingCase{
            "statusBar",
            statusBar,
            {
                "vStack alignment=center spacing=0 width=340 height=500 frameAlignment=center",
                "  hStack alignment=center spacing=6 padding=6,10,6,10",
                "    circle fill=green width=8 height=8 frameAlignment=center",
                R"(    text "Track \"A\"" font=12:semibold foreground=primary lineLimit=1 truncation=tail)",
                "    spacer",
                "    button style=plain",
                R"(      text "Disconnect" font=10 foreground=red)",
                R"(    text "0000002A" font=9:monospaced foreground=tertiary)",
                "  divider opacity=0.3",
            }},
        RenderingCase{
            "gridWithBackgroundAndBars",
            gridWithBackgroundAndBars,
            {
                "lazyVGrid spacing=3 columns=flexible(min:10,max:none,spacing:4,alignment:center),"
                "flexible(min:10,max:none,spacing:4,alignment:center)",
                "  hStack id=0 alignment=center spacing=4 padding=4,6,4,6",
                "    background:roundedRectangle cornerRadius=4 cornerStyle=continuous "
                "fill=hsb(0,0.85,0.9)@0.25",
                "    circle fill=hsb(0.744,0.85,0.9) width=6 height=6 frameAlignment=center",
                R"(    text "Legato\nshort" font=10:bold foreground=white)",
                "  zStack id=1 alignment=leading height=12 frameAlignment=center",
                "    roundedRectangle cornerRadius=3 cornerStyle=continuous fill=white@0.08 maxWidth=inf "
                "frameAlignment=center",
                "    roundedRectangle cornerRadius=3 cornerStyle=continuous "
                "fill=linearGradient(leading->trailing,hsb(0.744,0.85,0.9),hsb(0,0.85,0.9)) "
                "widthFraction=0.5 "
                "minWidth=1",
            }},
        RenderingCase{"scrollingSections",
                      scrollingSections,
                      {
                          "scrollView showsIndicators=true",
                          "  vStack alignment=leading spacing=12 padding=8,10,8,10",
                          R"(    image "link.badge.plus" font=36 foreground=orange)",
                          R"(    text "Füge" font=title2:bold multilineTextAlignment=center)",
                          R"(    text "Body" font=body foreground=accent)",
                      }},
        RenderingCase{
            "sliderWithLabels",
            sliderWithLabels,
            {
                "vStack alignment=center padding=default",
                R"(  slider value=3.5 range=-24...24 minimumValueLabel="-24.00" maximumValueLabel="24.00" )"
                R"(accessibilityIdentifier="Input Level")",
                R"(  text "Level: 3.50")",
            }}),
    [](const auto& info) { return std::string(info.param.name); });

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

TEST(TextRenderingText, ShowsInvalidUtf8ReplacedInsteadOfFailing) {
    EXPECT_EQ(renderLines(text("a\xff")), std::vector<std::string>{"text \"a\xEF\xBF\xBD\""});
}

TEST(TextRenderingText, PaddingByDefaultAndByAmountShowsBoth) {
    EXPECT_EQ(renderLines(spacer().padding().padding(Edges::top, 2)),
              std::vector<std::string>{"spacer padding=default+2,0,0,0"});
}

} // namespace
