#pragma once
// The platform's colours in a dark and a light appearance: the hierarchical text styles, the
// named system colours and the window's own surfaces.

#include "platform/ui/Color.h"
#include "platform/ui/render/Renderer.h"

namespace platform::ui::render {

struct Rgba {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;
};

struct Palette {
    static Rgba resolve(const Color& color, Appearance appearance);
    static Rgba windowBackground(Appearance appearance);
    static Rgba separator(Appearance appearance);
    static Rgba sliderTrack(Appearance appearance);
    static Rgba sliderKnob(Appearance appearance);
};

} // namespace platform::ui::render
