#pragma once
// Draws a laid-out tree with cairo: shapes, texts through pango, symbols, controls.

#include <cairo.h>

#include "Environment.h"
#include "FontSystem.h"
#include "Palette.h"

namespace platform::ui::render {

class Painter {
public:
    Painter(const FontSystem& fonts, cairo_t* cairo, Appearance appearance)
        : fonts(fonts), cairo(cairo), appearance(appearance) {}

    void paint(const PlacedNode& placed, const Environment& environment) const;

private:
    void paintContent(const PlacedNode& placed, const Environment& inner) const;
    void paintText(const PlacedNode& placed, const Environment& inner) const;
    void paintSlider(const PlacedNode& placed, const Environment& inner) const;
    void paintScrollIndicator(const PlacedNode& placed) const;
    void setSource(const Rgba& color) const;
    void setFill(const Node& node, const Environment& inner, const Rect& frame) const;
    Rgba foreground(const Environment& inner) const;

    const FontSystem& fonts;
    cairo_t* cairo;
    Appearance appearance;
};

} // namespace platform::ui::render
