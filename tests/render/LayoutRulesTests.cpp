// What the golden pictures do not show: where texts are cut in frames no face has, which control
// a click finds, and pictures that cannot be drawn. Stacks, spacers and scroll areas are in every
// face.

#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <stdexcept>

#include "platform/ui/render/Renderer.h"
#include "render/TestRenderer.h"

namespace platform::ui::render {
void PrintTo(const Rect& rect, std::ostream* out) {
    *out << "{" << rect.x << ", " << rect.y << ", " << rect.width << ", " << rect.height << "}";
}
} // namespace platform::ui::render

namespace vantrel::render::test {
namespace {

namespace ui = platform::ui;
using ui::Alignment;
using ui::render::Point;
using ui::render::Rect;
using ui::render::Renderer;

constexpr double infinity = std::numeric_limits<double>::infinity();

ui::Node bar(ui::Frame frame) {
    return ui::roundedRectangle(2, ui::RoundedCornerStyle::circular).frame(frame);
}

TEST(TextLayout, CutToItsLineLimitInANarrowFrame) {
    const std::string words = "Pizzicato Spiccato Tremolo Legato";
    const ui::Node oneLine = ui::text(words).lineLimit(1).truncationMode(ui::TruncationMode::tail);
    const auto natural = renderer().idealSize(oneLine);
    const ui::Node narrowRow = ui::hStack(Alignment::center, 0, {ui::text(words).lineLimit(1)});
    const ui::Node wrappingRow = ui::hStack(Alignment::center, 0, {ui::text(words)});
    const auto narrow = renderer().layout(narrowRow, {80, 100});
    const auto wrapped = renderer().layout(wrappingRow, {80, 100});
    EXPECT_GT(natural.width, 80);
    EXPECT_LE(narrow.root.children[0].frame.width, 80);
    EXPECT_EQ(narrow.root.children[0].frame.height, natural.height);
    EXPECT_GE(wrapped.root.children[0].frame.height, 3 * natural.height);
    EXPECT_EQ(renderer().idealSize(ui::text("Legato\nStaccato").lineLimit(1)).height, natural.height);
}

TEST(ControlHitting, FindsTheFrontmostEnabledControlInsideTheVisiblePart) {
    int pressed = 0;
    double value = 0.5;
    ui::SliderSetup setup{.value = {.get = [&] { return value; }, .set = [&](double v) { value = v; }},
                          .minimum = 0,
                          .maximum = 10};
    const ui::Node view = ui::vStack(
        Alignment::center, 0,
        {ui::button(ui::text("Go"), ui::ButtonStyle::borderedProminent, [&] { ++pressed; })
             .frame({.width = 200, .height = 30}),
         ui::button(ui::text("Dead"), ui::ButtonStyle::plain, nullptr).frame({.width = 200, .height = 30}),
         ui::slider(setup).frame({.width = 200}),
         ui::scrollView(
             false, ui::vStack(Alignment::center, 0,
                               {bar({.height = 40}),
                                ui::button(ui::text("Hidden"), ui::ButtonStyle::plain, [&] { ++pressed; })}))
             .frame({.width = 200, .height = 40})});
    const auto tree = renderer().layout(view, renderer().idealSize(view));
    const double sliderY = tree.root.children[2].frame.y + tree.root.children[2].frame.height / 2;

    const auto go = Renderer::controlAt(tree, {100, 15});
    ASSERT_TRUE(go);
    go->node->action();
    EXPECT_EQ(pressed, 1);
    EXPECT_FALSE(Renderer::controlAt(tree, {100, 45})) << "a button without an action";
    EXPECT_FALSE(Renderer::controlAt(tree, {100, tree.root.children[3].frame.y + 45}))
        << "scrolled out of sight";

    const auto slider = Renderer::controlAt(tree, {100, sliderY});
    ASSERT_TRUE(slider);
    EXPECT_EQ(slider->node->kind, ui::NodeKind::slider);
    EXPECT_DOUBLE_EQ(Renderer::sliderValueAt(*slider, slider->frame.x + slider->frame.width / 4), 2.5);
    EXPECT_DOUBLE_EQ(Renderer::sliderValueAt(*slider, slider->frame.x - 50), 0);
    EXPECT_DOUBLE_EQ(Renderer::sliderValueAt(*slider, slider->frame.x + slider->frame.width + 50), 10);
}

TEST(Picture, OfNoAreaOrBeyondAnyScreenIsRefusedWithAnError) {
    const ui::Node view = ui::text("Gain");
    for (const ui::render::Size size : {ui::render::Size{0, 20}, ui::render::Size{1e9, 20},
                                        ui::render::Size{std::numeric_limits<double>::quiet_NaN(), 20}}) {
        EXPECT_THROW(renderer().writePng(view, size, ui::render::Appearance::dark, "/dev/null"),
                     std::runtime_error)
            << size.width;
    }
}

TEST(Picture, OfSizesThatAreNoLengthsIsStillDrawn) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const ui::Node view = ui::hStack(
        Alignment::center, -5,
        {bar({.width = nan, .height = infinity}), bar({.width = -20}),
         ui::text("Gain").padding(ui::Edges::all, -40), bar({.maxWidth = nan}).relativeWidth(nan, -1),
         ui::lazyVGrid({ui::GridItem{.minimum = 50, .maximum = 10}}, nan, {ui::text("a"), ui::text("b")})});
    EXPECT_NO_THROW(
        renderer().writePng(view, ui::render::Size{120, 40}, ui::render::Appearance::light, "/dev/null"));
}

} // namespace
} // namespace vantrel::render::test
