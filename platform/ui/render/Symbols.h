#pragma once
// The few system symbols the views name, drawn as vector shapes in one colour.

#include <string>

#include <cairo.h>

#include "Palette.h"

namespace platform::ui::render {

// Draws the symbol `name` to fill `frame`; a name we do not draw shows as an empty rounded box.
void drawSymbol(cairo_t* cairo, const std::string& name, const Rect& frame, const Rgba& color);

} // namespace platform::ui::render
