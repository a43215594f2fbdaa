#pragma once
// The renderer's own fonts: the project's fontconfig file, loaded instead of the machine's, and
// pango layouts of texts in them with fixed antialiasing and no hinting.

#include <memory>
#include <optional>

#include <pango/pango.h>

#include "Environment.h"

namespace platform::ui::render {

struct Size;

struct GObjectRelease {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using PangoLayoutPtr = std::unique_ptr<PangoLayout, GObjectRelease>;

class FontSystem {
public:
    FontSystem(); // throws std::runtime_error when the fonts cannot be loaded
    ~FontSystem();
    FontSystem(const FontSystem&) = delete;
    FontSystem& operator=(const FontSystem&) = delete;

    // The point size a font is shown at (text styles take the platform's sizes).
    static double pointSize(const Font& font);

    // `content` laid out in the environment's font, wrapped at `width` when given, cut to the
    // environment's line limit with an ellipsis.
    PangoLayoutPtr layout(const std::string& content, const Environment& environment,
                          std::optional<double> width) const;
    // The size of a layout in points, rounded up to whole points.
    static Size measure(PangoLayout* layout);

    static const char* const configuration; // fonts/fonts.conf

private:
    struct Handles;
    std::unique_ptr<Handles> handles;
};

} // namespace platform::ui::render
