// The connected face's sections: controller meters, their names, gradients and level colours, and
// the articulation grid, fed through a real instance.

#include <gmock/gmock.h>

#include "MonitorViewTestBench.h"
#include "platform/ui/Layout.h"
#include "platform/ui/TextRendering.h"

namespace vantrel::monitor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

using View = VantrelExtensionMainView;

struct LevelCase {
    std::string name;
    int level;
    double hue;
};

class LevelColor : public ::testing::TestWithParam<LevelCase> {};

TEST_P(LevelColor, RunsFromVioletAtOneToRedAt127) {
    const ui::Color color = View::levelColor(GetParam().level);
    EXPECT_EQ(color.kind, ui::Color::Kind::hsb);
    EXPECT_NEAR(color.hue, GetParam().hue, 1e-9);
    EXPECT_EQ(color.saturation, 0.85);
    EXPECT_EQ(color.brightness, 0.9);
    EXPECT_EQ(color.alpha, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelColor,
                         ::testing::Values(LevelCase{"BelowOne", -5, 0.75 * 126 / 127},
                                           LevelCase{"Zero", 0, 0.75 * 126 / 127},
                                           LevelCase{"One", 1, 0.7440944881889764},
                                           LevelCase{"Middle", 64, 0.3720472440944882},
                                           LevelCase{"Top", 127, 0.0}, LevelCase{"AboveTop", 300, 0.0}),
                         [](const auto& info) { return info.param.name; });

class ControllerName : public ::testing::TestWithParam<std::pair<int, std::string>> {};

TEST_P(ControllerName, NamesTheCommonControllersAndNumbersTheRest) {
    EXPECT_EQ(View::ccName(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Table, ControllerName,
                         ::testing::Values(std::pair{1, "Mod"}, std::pair{2, "Breath"}, std::pair{7, "Vol"},
                                           std::pair{10, "Pan"}, std::pair{11, "Expr"}, std::pair{21, "CC21"},
                                           std::pair{64, "Sust"}, std::pair{74, "Bright"},
                                           std::pair{5, "CC5"}, std::pair{0, "CC0"},
                                           std::pair{119, "CC119"}));

class BarGradient : public ::testing::TestWithParam<std::pair<int, std::vector<int>>> {};

TEST_P(BarGradient, HasSevenStopsUpToTheBarsOwnLevel) {
    ui::LinearGradient expected{.startPoint = ui::UnitPoint::leading, .endPoint = ui::UnitPoint::trailing};
    for (const int level : GetParam().second)
        expected.stops.push_back(View::levelColor(level));
    EXPECT_EQ(View::ccBarGradient(GetParam().first), expected);
}

INSTANTIATE_TEST_SUITE_P(Values, BarGradient,
                         ::testing::Values(std::pair{6, std::vector{1, 1, 2, 3, 4, 5, 6}},
                                           std::pair{127, std::vector{1, 21, 42, 63, 84, 105, 127}},
                                           std::pair{1, std::vector{1, 1, 1, 1, 1, 1, 1}},
                                           std::pair{0, std::vector{1, 1, 1, 1, 1, 1, 1}}));

TEST(ControllerMeterRow, IsLaidOutAsNameBarAndValue) {
    EXPECT_THAT(
        ui::renderLines(View::ccMeterRow(7, 100)),
        ElementsAreArray({
            R"(hStack alignment=center spacing=6 height=16 frameAlignment=center)",
            R"(  text "Vol" font=10:medium foreground=secondary width=40 frameAlignment=trailing)",
            R"(  zStack alignment=leading height=12 maxWidth=inf frameAlignment=center)",
            R"(    roundedRectangle cornerRadius=3 cornerStyle=continuous fill=white@0.08 maxWidth=inf frameAlignment=center)",
            R"(    roundedRectangle cornerRadius=3 cornerStyle=continuous fill=linearGradient(leading->trailing,)"
            R"(hsb(0.744,0.85,0.9),hsb(0.656,0.85,0.9),hsb(0.555,0.85,0.9),hsb(0.455,0.85,0.9),)"
            R"(hsb(0.36,0.85,0.9),hsb(0.26,0.85,0.9),hsb(0.159,0.85,0.9)) widthFraction=0.787 minWidth=1)",
            R"(  text "100" font=9:monospaced foreground=white width=24 frameAlignment=trailing)",
        }));
}

// Connected and shown, so that the poll copies what the render path stores.
class MonitorSections : public MonitorViewTestBench {
protected:
    MonitorSections() {
        connect(*unit, "Strings");
        open();
    }
    ui::Node cc() const { return view->ccSection(); }
    ui::Node grid() const { return view->articulationSection().children.at(1); }
    bool active(const ui::Node& cell) const {
        return cell.children.at(1).modifiers.font->weight == ui::Font::Weight::bold;
    }
};

struct SectionCase {
    std::string name;
    std::vector<Bytes> events;
    std::vector<std::string> texts;
};

class ControllerSection : public MonitorSections, public ::testing::WithParamInterface<SectionCase> {};

TEST_P(ControllerSection, ShowsOneRowPerControllerBelow120InOrder) {
    for (const Bytes& event : GetParam().events)
        play(event);
    poll();
    const ui::Node section = cc();
    EXPECT_EQ(section.alignment, ui::Alignment::leading);
    EXPECT_EQ(section.spacing, 2);
    EXPECT_EQ(texts(section), GetParam().texts);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ControllerSection,
    ::testing::Values(
        SectionCase{"NoneSeen", {}, {"CC", "Waiting for CC data..."}},
        SectionCase{"OnlyChannelMode", {{0xB0, 0x78, 0x00}, {0xB0, 0x7B, 0x00}, {0xB0, 0x7F, 0x7F}}, {"CC"}},
        SectionCase{"Unsorted",
                    {{0xB0, 0x40, 0x7F}, {0xB0, 0x01, 0x00}, {0xB0, 0x07, 0x64}},
                    {"CC", "Mod", "0", "Vol", "100", "Sust", "127"}},
        SectionCase{"EdgeOfChannelMode", {{0xB0, 0x78, 0x05}, {0xB0, 0x77, 0x05}}, {"CC", "CC119", "5"}}),
    [](const auto& info) { return info.param.name; });

TEST_F(MonitorSections, HeaderAndWaitingTextAreStyled) {
    poll();
    EXPECT_THAT(
        ui::renderLines(cc()),
        ElementsAre(R"(vStack alignment=leading spacing=2)",
                    R"(  text "CC" font=10:bold foreground=secondary padding=0,0,2,0)",
                    R"(  text "Waiting for CC data..." font=10 foreground=tertiary padding=8,0,8,0)"));
}

TEST_F(MonitorSections, BarsRunFromOnePointToTheFullWidth) {
    play({0xB0, 0x40, 0x7F});
    play({0xB0, 0x01, 0x00});
    play({0xB0, 0x07, 0x64});
    poll();
    const ui::Node section = cc();
    ASSERT_EQ(section.children.size(), 4u);
    constexpr double width = 200;
    std::vector<std::int64_t> ids;
    std::vector<double> trackWidths;
    std::vector<double> barWidths;
    for (std::size_t row = 1; row < section.children.size(); ++row) {
        const ui::Node& meter = section.children[row];
        ids.push_back(meter.modifiers.id.value_or(-1));
        const ui::Node& bar = meter.children.at(1);
        trackWidths.push_back(ui::resolveWidth(bar.children.at(0), width).value_or(-1));
        barWidths.push_back(ui::resolveWidth(bar.children.at(1), width).value_or(-1));
    }
    EXPECT_THAT(ids, ElementsAre(1, 7, 64));
    EXPECT_THAT(trackWidths, ElementsAre(width, width, width));
    EXPECT_THAT(barWidths, ElementsAre(1, ::testing::DoubleNear(width * 100 / 127, 1e-9), width));
    const auto& sustain =
        std::get<ui::LinearGradient>(*section.children[3].children.at(1).children.at(1).modifiers.fill);
    EXPECT_EQ(sustain.stops.back(), View::levelColor(127)); // ends in red
}

TEST_F(MonitorSections, AValueAbove127FromTheHostFillsTheTrackAndNoMore) {
    play({0xB0, 0x01, 0xC8});
    poll();
    const ui::Node row = cc().children.at(1);
    EXPECT_EQ(ui::resolveWidth(row.children.at(1).children.at(1), 200), 200);
    EXPECT_EQ(row.children.at(2).text, "200");
}

TEST_F(MonitorSections, TheGridHasOneCellPerNameInTwoColumns) {
    postArticulations({"Legato", "Staccato", "Pizz"}, {24, 25});
    poll();
    const ui::Node section = view->articulationSection();
    EXPECT_THAT(ui::renderLines(section).at(1),
                R"(  text "Articulations" font=10:bold foreground=secondary padding=0,0,2,0)");
    const ui::Node& cells = grid();
    EXPECT_EQ(cells.kind, ui::NodeKind::lazyVGrid);
    const ui::GridItem column{
        .minimum = 10, .maximum = std::nullopt, .spacing = 4, .alignment = ui::Alignment::center};
    EXPECT_EQ(cells.columns, (std::vector{column, column}));
    EXPECT_EQ(cells.spacing, 3);
    ASSERT_EQ(cells.children.size(), 3u);
    std::vector<std::int64_t> ids;
    for (const ui::Node& cell : cells.children)
        ids.push_back(cell.modifiers.id.value_or(-1));
    EXPECT_THAT(ids, ElementsAre(0, 1, 2));
    EXPECT_THAT(texts(cells), ElementsAre("Legato", "Staccato", "Pizz"));
}

TEST_F(MonitorSections, ACellWithoutANoteStandsForItsIndex) {
    postArticulations({"Legato", "Staccato", "Pizz"}, {24, 25, 2});
    play({0x90, 0x02, 0x64}); // note 2 becomes the active articulation
    postArticulations({"Legato", "Staccato", "Pizz"}, {24, 25});
    poll();
    const ui::Node cells = grid();
    EXPECT_FALSE(active(cells.children[0]));
    EXPECT_FALSE(active(cells.children[1]));
    EXPECT_TRUE(active(cells.children[2]));
}

TEST_F(MonitorSections, ANoteListedTwiceLightsBothCells) {
    postArticulations({"Legato", "Legato too", "Pizz"}, {24, 24, 30});
    play({0x90, 0x18, 0x64});
    poll();
    const ui::Node cells = grid();
    EXPECT_TRUE(active(cells.children[0]));
    EXPECT_TRUE(active(cells.children[1]));
    EXPECT_FALSE(active(cells.children[2]));
}

TEST_F(MonitorSections, NoCellIsLitBeforeAnArticulationIsPlayedEvenForNoteMinusOne) {
    postArticulations({"Odd", "Legato"}, {-1, 24});
    poll();
    ASSERT_EQ(view->state().activeArticulation, -1);
    const ui::Node cells = grid();
    EXPECT_THAT(
        ui::renderLines(cells.children[0]),
        ElementsAre(R"(hStack id=0 alignment=center spacing=4 padding=4,6,4,6)",
                    R"(  background:roundedRectangle cornerRadius=4 cornerStyle=continuous fill=white@0.04)",
                    R"(  circle fill=white@0.15 width=6 height=6 frameAlignment=center)",
                    R"(  text "Odd" font=10 foreground=secondary lineLimit=1 truncation=tail)",
                    R"(  spacer)"));
    EXPECT_FALSE(active(cells.children[1]));
}

struct VelocityCase {
    std::string name;
    std::optional<std::uint8_t> velocity; // of an ordinary note played; none: none played
    int level;
};

class ActiveCell : public MonitorSections, public ::testing::WithParamInterface<VelocityCase> {};

TEST_P(ActiveCell, TakesTheColourOfTheLastOrdinaryNotesVelocity) {
    postArticulations({"Legato", "Pizz"}, {24, 25});
    if (GetParam().velocity) play({0x90, 0x3C, *GetParam().velocity});
    play({0x90, 0x18, 0x7F}); // the articulation's own velocity counts for nothing
    poll();
    const ui::Color dot = View::levelColor(GetParam().level);
    const ui::Node cell = grid().children.at(0);
    EXPECT_EQ(cell.children.at(0).modifiers.fill, ui::Fill(dot));
    EXPECT_EQ(cell.modifiers.background->modifiers.fill, ui::Fill(dot.opacity(0.25)));
    EXPECT_EQ(cell.children.at(1).modifiers.font, ui::Font::system(10, ui::Font::Weight::bold));
    EXPECT_EQ(cell.children.at(1).modifiers.foreground, ui::Color::white());
}

INSTANTIATE_TEST_SUITE_P(Velocities, ActiveCell,
                         ::testing::Values(VelocityCase{"NoneYetCountsAsOne", std::nullopt, 1},
                                           VelocityCase{"Softest", 1, 1}, VelocityCase{"Middle", 64, 64},
                                           VelocityCase{"Loudest", 127, 127}),
                         [](const auto& info) { return info.param.name; });

} // namespace
} // namespace vantrel::monitor::test
