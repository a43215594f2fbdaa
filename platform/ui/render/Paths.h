#pragma once
// Paths the drawing code shares.

#include <algorithm>
#include <cmath>

#include <cairo.h>

#include "platform/ui/render/Renderer.h"

namespace platform::ui::render {

// A rectangle with circular corners; the radius is held to half the shorter side.
inline void roundedRectanglePath(cairo_t* cairo, const Rect& rect, double radius) {
    radius = std::max(0.0, std::min({radius, rect.width / 2, rect.height / 2}));
    cairo_new_sub_path(cairo);
    cairo_arc(cairo, rect.x + rect.width - radius, rect.y + radius, radius, -M_PI / 2, 0);
    cairo_arc(cairo, rect.x + rect.width - radius, rect.y + rect.height - radius, radius, 0, M_PI / 2);
    cairo_arc(cairo, rect.x + radius, rect.y + rect.height - radius, radius, M_PI / 2, M_PI);
    cairo_arc(cairo, rect.x + radius, rect.y + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(cairo);
}

} // namespace platform::ui::render
