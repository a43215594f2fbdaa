// The monitor view as the user sees it change with the instance's state: the appearance step, the
// 0.1 s poll, the controller rows and articulation cells, and an instance that goes away while the
// view stays. The faces themselves are in the handshake scenario's trace.

#include <gmock/gmock.h>

#include <algorithm>

#include "frame/common/ui/ObservableAUParameter.h"
#include "monitor/MonitorTestBench.h"
#include "monitor/ui/VantrelExtensionMainView.h"
#include "platform/audiounit/AUParameterTree.h"
#include "platform/ui/HostingController.h"
#include "platform/ui/TextRendering.h"
#include "platform/ui/Window.h"

namespace vantrel::monitor::test {
namespace {

namespace ui = platform::ui;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using CCs = std::map<int, int>;

// The strings of all texts in the tree, in rendering order.
std::vector<std::string> texts(const ui::Node& root) {
    std::vector<std::string> found;
    for (const ui::Node* node :
         ui::findNodes(root, [](const ui::Node& n) { return n.kind == ui::NodeKind::text; }))
        found.push_back(node->text);
    return found;
}

// A rendering instance with its main view hosted in a window, on virtual time.
class MonitorView : public MonitorTestBench {
protected:
    MonitorView() { receiver.up(); }

    void open() { window->open(); }
    void close() { window->close(); }
    void poll() { sim.advance(ms(100)); } // one tick of the view's timer
    void play(const Bytes& event) {
        EventList events;
        events.midi(event);
        render(unit->internalRenderBlock(), events.head());
    }
    void postArticulations(const std::vector<std::string>& names, const std::vector<int>& notes) {
        post("com.marlek.vantrel.articulations", platform::Dictionary{{"names", names}, {"notes", notes}});
    }
    bool shows(const std::string& text) const { return std::ranges::count(texts(view->body()), text) > 0; }
    // Presses the shown button with this label; false when none is shown.
    bool press(const std::string& label) const {
        const ui::Node tree = view->body();
        const ui::Node* button = ui::findNode(tree, [&](const ui::Node& node) {
            return node.kind == ui::NodeKind::button && std::ranges::count(texts(node), label) > 0;
        });
        if (button != nullptr) button->action();
        return button != nullptr;
    }

    std::shared_ptr<VantrelExtensionAudioUnit> unit = createRenderingUnit();
    std::shared_ptr<VantrelExtensionMainView> view = std::make_shared<VantrelExtensionMainView>(
        std::make_shared<ObservableAUParameterGroup>(*platform::AUParameterTree::createTree({})), unit);
    std::unique_ptr<ui::Window> window =
        std::make_unique<ui::Window>(std::make_shared<ui::HostingController>(view));
};

TEST_F(MonitorView, ConnectedWithoutATrackNameSaysNotConnectedOnGreen) {
    connect(*unit, "");
    open();
    const auto bar = ui::renderLines(view->statusBar());
    EXPECT_EQ(bar.at(1), "  circle fill=green width=8 height=8 frameAlignment=center");
    EXPECT_EQ(bar.at(2), R"(  text "Not connected" font=11 foreground=secondary)");
    EXPECT_TRUE(shows("Disconnect"));
}

TEST_F(MonitorView, ThePollRunsEveryTenthOfASecondOnlyWhileShown) {
    connect(*unit, "Strings");
    postArticulations({"Legato"}, {24});
    play({0xB0, 0x01, 0x40});
    open();
    // The appearance step copies the connection and the names, and leaves the rest to the poll.
    EXPECT_TRUE(view->state().isConnected);
    EXPECT_EQ(view->state().articulationNames, std::vector<std::string>{"Legato"});
    EXPECT_TRUE(view->state().articulationNotes.empty());
    sim.advance(ms(99));
    EXPECT_TRUE(view->state().ccValues.empty());
    sim.advance(ms(1));
    EXPECT_EQ(view->state().ccValues, (CCs{{1, 0x40}}));
    EXPECT_EQ(view->state().articulationNotes, std::vector<std::int64_t>{24});
    play({0xB0, 0x01, 0x41});
    poll();
    EXPECT_EQ(view->state().ccValues, (CCs{{1, 0x41}}));

    close();
    play({0xB0, 0x01, 0x42});
    post("com.marlek.vantrel.disconnect", platform::Dictionary{{"uid", unit->uniqueID()}});
    sim.advance(platform::seconds(1));
    EXPECT_EQ(view->state().ccValues, (CCs{{1, 0x41}}));
    EXPECT_TRUE(view->state().isConnected);

    open();
    EXPECT_FALSE(view->state().isConnected);
    poll();
    EXPECT_EQ(view->state().ccValues, (CCs{{1, 0x42}}));
}

TEST_F(MonitorView, TheIdentityIsCopiedOnlyWhenTheViewAppears) {
    unit->setFullState(platform::Dictionary{{"qvUniqueID", 41}});
    open();
    unit->setFullState(platform::Dictionary{{"qvUniqueID", 42}});
    sim.advance(platform::seconds(1));
    EXPECT_THAT(texts(view->statusBar()), ElementsAre("Not connected", "00000029", "v3.7.5"));
    EXPECT_TRUE(shows("ID: 00000029"));
    close();
    open();
    EXPECT_THAT(texts(view->statusBar()), ElementsAre("Not connected", "0000002A", "v3.7.5"));
    EXPECT_TRUE(shows("ID: 0000002A"));
}

TEST_F(MonitorView, WithTheInstanceGoneTheViewKeepsItsLastStateAndSendsNothing) {
    connect(*unit, "Strings");
    postArticulations({"Legato", "Pizz"}, {24, 25});
    open();
    play({0xB0, 0x07, 0x64});
    play({0x90, 0x19, 0x50});
    poll();
    const std::vector<std::string> before = ui::renderLines(view->body());
    const std::size_t sendCount = sent.size();
    unit.reset();
    sim.advance(platform::seconds(1));
    EXPECT_EQ(ui::renderLines(view->body()), before);

    ASSERT_TRUE(press("Disconnect"));
    sim.runDue();
    EXPECT_EQ(view->state().statusText, "Disconnecting...");
    EXPECT_EQ(sent.size(), sendCount);

    // Appearing again finds no instance: no identity, no connection.
    close();
    open();
    EXPECT_THAT(texts(view->statusBar()), ElementsAre("Not connected", "00000000", "v3.7.5"));
    EXPECT_TRUE(press("Connect to selected track"));
    EXPECT_TRUE(shows("Connecting..."));
    EXPECT_EQ(sent.size(), sendCount);
}

TEST_F(MonitorView, AViewDestroyedWhileShownStopsItsPoll) {
    connect(*unit, "Strings");
    sim.advance(platform::seconds(1)); // the instance's own timers are all repeating by now
    const std::size_t pending = sim.executor().pendingCount();
    auto shownAlone = std::make_shared<VantrelExtensionMainView>(nullptr, unit);
    shownAlone->onAppear();
    play({0xB0, 0x01, 0x40});
    poll();
    ASSERT_EQ(shownAlone->state().ccValues, (CCs{{1, 0x40}})); // the poll ran
    shownAlone.reset();
    poll(); // a tick reaching the freed view would be caught here by the address sanitizer
    EXPECT_EQ(sim.executor().pendingCount(), pending);
}

TEST_F(MonitorView, ControllerRowsNameTheCommonControllersNumberTheRestAndStopBelow120) {
    connect(*unit);
    open();
    for (const std::uint8_t cc : {74, 2, 120, 10, 11, 21, 119})
        play({0xB0, cc, 5});
    poll();
    EXPECT_THAT(texts(view->ccSection()), ElementsAre("CC", "Breath", "5", "Pan", "5", "Expr", "5", "CC21",
                                                      "5", "Bright", "5", "CC119", "5"));
}

TEST_F(MonitorView, AValueAbove127FromTheHostFillsTheBarAndNoMore) {
    connect(*unit);
    open();
    play({0xB0, 0x01, 0xC8});
    poll();
    const auto row = ui::renderLines(view->ccSection().children.at(1));
    EXPECT_THAT(row.at(4), HasSubstr(",hsb(0,0.85,0.9)) widthFraction=1 minWidth=1"));
    EXPECT_THAT(row.at(5), HasSubstr(R"(text "200")"));
}

struct GridCase {
    std::string name;
    std::vector<std::string> names;
    std::vector<int> notes;
    std::vector<Bytes> played;
    std::vector<std::string> dots; // each cell's dot
    std::vector<int> notesWhilePlaying = {};
};

class ArticulationCells : public MonitorView, public ::testing::WithParamInterface<GridCase> {};

TEST_P(ArticulationCells, LightThePlayedArticulationInTheLastOrdinaryNotesColour) {
    const GridCase& grid = GetParam();
    connect(*unit);
    open();
    postArticulations(grid.names, grid.notesWhilePlaying.empty() ? grid.notes : grid.notesWhilePlaying);
    for (const Bytes& event : grid.played)
        play(event);
    postArticulations(grid.names, grid.notes);
    poll();
    std::vector<std::string> dots;
    const ui::Node section = view->articulationSection();
    for (const ui::Node* dot :
         ui::findNodes(section, [](const ui::Node& node) { return node.kind == ui::NodeKind::circle; })) {
        const std::string line = ui::renderLines(*dot).at(0);
        const auto fill = line.find("fill=") + 5;
        dots.push_back(line.substr(fill, line.find(' ', fill) - fill));
    }
    EXPECT_EQ(dots, grid.dots);
}

const std::string unlit = "white@0.15";
const std::string softest = "hsb(0.744,0.85,0.9)";

INSTANTIATE_TEST_SUITE_P(
    Cases, ArticulationCells,
    ::testing::Values(
        GridCase{"NoneBeforeAnArticulationIsPlayedEvenForNoteMinusOne",
                 {"Odd", "Legato"},
                 {-1, 24},
                 {},
                 {unlit, unlit}},
        // Lit after an ordinary note is the handshake scenario's; with none yet it counts as 1.
        GridCase{"NoOrdinaryNoteYet", {"Legato", "Pizz"}, {24, 25}, {{0x90, 0x18, 0x7F}}, {softest, unlit}},
        GridCase{"ANoteListedTwiceLightsBothCells",
                 {"Legato", "Legato too", "Pizz"},
                 {24, 24, 30},
                 {{0x90, 0x18, 0x64}},
                 {softest, softest, unlit}},
        GridCase{"ACellWithoutANoteStandsForItsIndex",
                 {"Legato", "Staccato", "Pizz"},
                 {24, 25},
                 {{0x90, 0x02, 0x64}},
                 {unlit, unlit, softest},
                 {24, 25, 2}}),
    [](const auto& info) { return info.param.name; });

} // namespace
} // namespace vantrel::monitor::test
