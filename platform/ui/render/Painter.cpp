#include "Painter.h"

#include <algorithm>
#include <cmath>

#include <pango/pangocairo.h>

#include "ControlMetrics.h"
#include "Paths.h"
#include "Symbols.h"

namespace platform::ui::render {

namespace {

constexpr double scrollIndicatorWidth = 5;

std::pair<double, double> unitPoint(UnitPoint point, const Rect& frame) {
    switch (point) {
    case UnitPoint::leading:
        return {frame.x, frame.y + frame.height / 2};
    case UnitPoint::trailing:
        return {frame.x + frame.width, frame.y + frame.height / 2};
    case UnitPoint::top:
        return {frame.x + frame.width / 2, frame.y};
    case UnitPoint::bottom:
        return {frame.x + frame.width / 2, frame.y + frame.height};
    }
    return {frame.x, frame.y};
}

} // namespace

void Painter::paint(const PlacedNode& placed, const Environment& environment) const {
    const Node& node = *placed.node;
    const Environment inner = environment.inside(node);
    const double opacity = std::clamp(node.modifiers.opacity.value_or(1.0), 0.0, 1.0);
    if (opacity <= 0) return;

    cairo_save(cairo);
    cairo_rectangle(cairo, placed.clip.x, placed.clip.y, placed.clip.width, placed.clip.height);
    cairo_clip(cairo);
    if (opacity < 1) cairo_push_group(cairo);
    for (const PlacedNode& background : placed.background)
        paint(background, inner);
    paintContent(placed, inner);
    if (opacity < 1) {
        cairo_pop_group_to_source(cairo);
        cairo_paint_with_alpha(cairo, opacity);
    }
    cairo_restore(cairo);
}

void Painter::paintContent(const PlacedNode& placed, const Environment& inner) const {
    const Node& node = *placed.node;
    const Rect& frame = placed.frame;
    switch (node.kind) {
    case NodeKind::text:
        paintText(placed, inner);
        break;
    case NodeKind::image:
        drawSymbol(cairo, node.text, frame, foreground(inner));
        break;
    case NodeKind::circle:
        cairo_arc(cairo, frame.x + frame.width / 2, frame.y + frame.height / 2,
                  std::min(frame.width, frame.height) / 2, 0, 2 * M_PI);
        setFill(node, inner, frame);
        cairo_fill(cairo);
        break;
    case NodeKind::roundedRectangle:
        roundedRectanglePath(cairo, frame, node.cornerRadius);
        setFill(node, inner, frame);
        cairo_fill(cairo);
        break;
    case NodeKind::divider:
        cairo_rectangle(cairo, frame.x, frame.y, frame.width, frame.height);
        setSource(Palette::separator(appearance));
        cairo_fill(cairo);
        break;
    case NodeKind::button: {
        Environment label = inner;
        if (node.buttonStyle == ButtonStyle::borderedProminent) {
            roundedRectanglePath(cairo, frame, BezelMetrics::cornerRadius);
            setSource(Palette::resolve(Color::accent(), appearance));
            cairo_fill(cairo);
            if (!label.foreground) label.foreground = Color::white();
        }
        for (const PlacedNode& child : placed.children)
            paint(child, label);
        return;
    }
    case NodeKind::slider:
        paintSlider(placed, inner);
        break;
    case NodeKind::scrollView:
        paintScrollIndicator(placed);
        break;
    case NodeKind::vStack:
    case NodeKind::hStack:
    case NodeKind::zStack:
    case NodeKind::spacer:
    case NodeKind::lazyVGrid:
        break;
    }
    for (const PlacedNode& child : placed.children)
        paint(child, inner);
}

void Painter::paintText(const PlacedNode& placed, const Environment& inner) const {
    const PangoLayoutPtr layout = fonts.layout(placed.node->text, inner, placed.frame.width);
    setSource(foreground(inner));
    cairo_move_to(cairo, placed.frame.x, placed.frame.y);
    pango_cairo_show_layout(cairo, layout.get());
}

// A thin track, filled with the accent colour up to the knob, and the labels at the ends.
void Painter::paintSlider(const PlacedNode& placed, const Environment& inner) const {
    const SliderSetup* setup = placed.node->slider.get();
    if (!setup) return;
    const Rect& track = placed.track;
    const double centreY = track.y + track.height / 2;
    const double span = setup->maximum - setup->minimum;
    const double value = setup->value.get ? setup->value.get() : setup->minimum;
    const double fraction =
        span > 0 && std::isfinite(value) ? std::clamp((value - setup->minimum) / span, 0.0, 1.0) : 0;
    const double knobX = track.x + fraction * track.width;
    const double knobRadius = SliderMetrics::knobRadius;

    const Rect line{track.x - knobRadius, centreY - SliderMetrics::trackThickness / 2,
                    track.width + 2 * knobRadius, SliderMetrics::trackThickness};
    roundedRectanglePath(cairo, line, SliderMetrics::trackThickness / 2);
    setSource(Palette::sliderTrack(appearance));
    cairo_fill(cairo);
    roundedRectanglePath(cairo, {line.x, line.y, knobX - line.x, line.height},
                         SliderMetrics::trackThickness / 2);
    setSource(Palette::resolve(Color::accent(), appearance));
    cairo_fill(cairo);

    cairo_arc(cairo, knobX, centreY + 0.5, knobRadius, 0, 2 * M_PI);
    setSource({0, 0, 0, 0.25});
    cairo_fill(cairo);
    cairo_arc(cairo, knobX, centreY, knobRadius - 0.5, 0, 2 * M_PI);
    setSource(Palette::sliderKnob(appearance));
    cairo_fill(cairo);

    const Rgba labelColor = foreground(inner);
    auto label = [&](const std::string& content, bool leading) {
        if (content.empty()) return;
        const PangoLayoutPtr layout = fonts.layout(content, inner, std::nullopt);
        const Size size = FontSystem::measure(layout.get());
        const double x = leading ? placed.frame.x : placed.frame.x + placed.frame.width - size.width;
        setSource(labelColor);
        cairo_move_to(cairo, x, std::round(centreY - size.height / 2));
        pango_cairo_show_layout(cairo, layout.get());
    };
    label(setup->minimumValueLabel, true);
    label(setup->maximumValueLabel, false);
}

// Shown only when the content does not fit, at the position of its top.
void Painter::paintScrollIndicator(const PlacedNode& placed) const {
    if (!placed.node->showsIndicators || placed.children.empty()) return;
    const Rect& viewport = placed.frame;
    const double contentHeight = placed.children.front().frame.height;
    if (contentHeight <= viewport.height || viewport.height <= 0) return;
    const double height = std::max(20.0, viewport.height * viewport.height / contentHeight);
    roundedRectanglePath(cairo,
                         {viewport.x + viewport.width - scrollIndicatorWidth - 2, viewport.y + 2,
                          scrollIndicatorWidth, height - 4},
                         scrollIndicatorWidth / 2);
    setSource(Palette::sliderTrack(appearance));
    cairo_fill(cairo);
}

void Painter::setSource(const Rgba& color) const {
    cairo_set_source_rgba(cairo, color.red, color.green, color.blue, color.alpha);
}

// A shape's own fill, else the foreground style, as the framework fills shapes.
void Painter::setFill(const Node& node, const Environment& inner, const Rect& frame) const {
    if (!node.modifiers.fill) {
        setSource(foreground(inner));
        return;
    }
    if (const Color* color = std::get_if<Color>(&*node.modifiers.fill)) {
        setSource(Palette::resolve(*color, appearance));
        return;
    }
    const LinearGradient& gradient = std::get<LinearGradient>(*node.modifiers.fill);
    const auto [startX, startY] = unitPoint(gradient.startPoint, frame);
    const auto [endX, endY] = unitPoint(gradient.endPoint, frame);
    cairo_pattern_t* pattern = cairo_pattern_create_linear(startX, startY, endX, endY);
    const std::size_t count = gradient.stops.size();
    for (std::size_t index = 0; index < count; ++index) {
        const Rgba stop = Palette::resolve(gradient.stops[index], appearance);
        const double offset = count > 1 ? static_cast<double>(index) / static_cast<double>(count - 1) : 0;
        cairo_pattern_add_color_stop_rgba(pattern, offset, stop.red, stop.green, stop.blue, stop.alpha);
    }
    cairo_set_source(cairo, pattern);
    cairo_pattern_destroy(pattern);
}

Rgba Painter::foreground(const Environment& inner) const {
    return Palette::resolve(inner.foreground.value_or(Color::primary()), appearance);
}

} // namespace platform::ui::render
