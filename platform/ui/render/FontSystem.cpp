#include "FontSystem.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include "platform/ui/render/Renderer.h"

namespace platform::ui::render {

struct FontSystem::Handles {
    FcConfig* config = nullptr;
    PangoFontMap* fontMap = nullptr;
    PangoContext* context = nullptr;

    ~Handles() {
        if (context) g_object_unref(context);
        if (fontMap) g_object_unref(fontMap);
        if (config) FcConfigDestroy(config);
    }
};

namespace {

// No hinting and greyscale antialiasing: glyph shapes and advances then depend on the font
// files only, not on the screen or the user's settings.
void fixRendering(PangoContext* context) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_context_set_language(context, pango_language_from_string("en"));
    pango_context_set_base_dir(context, PANGO_DIRECTION_LTR);
}

PangoAlignment pangoAlignment(TextAlignment alignment) {
    switch (alignment) {
    case TextAlignment::leading:
        return PANGO_ALIGN_LEFT;
    case TextAlignment::center:
        return PANGO_ALIGN_CENTER;
    case TextAlignment::trailing:
        return PANGO_ALIGN_RIGHT;
    }
    return PANGO_ALIGN_LEFT;
}

PangoEllipsizeMode ellipsizeMode(TruncationMode mode) {
    switch (mode) {
    case TruncationMode::head:
        return PANGO_ELLIPSIZE_START;
    case TruncationMode::middle:
        return PANGO_ELLIPSIZE_MIDDLE;
    case TruncationMode::tail:
        return PANGO_ELLIPSIZE_END;
    }
    return PANGO_ELLIPSIZE_END;
}

// The monospaced font has two weights: fontconfig gives medium its regular, semibold its bold.
PangoWeight pangoWeight(Font::Weight weight) {
    switch (weight) {
    case Font::Weight::regular:
        return PANGO_WEIGHT_NORMAL;
    case Font::Weight::medium:
        return PANGO_WEIGHT_MEDIUM;
    case Font::Weight::semibold:
        return PANGO_WEIGHT_SEMIBOLD;
    case Font::Weight::bold:
        return PANGO_WEIGHT_BOLD;
    }
    return PANGO_WEIGHT_NORMAL;
}

// Pango limits the lines of each paragraph; a line limit holds for the whole text.
std::string firstLines(const std::string& content, int limit) {
    std::size_t end = 0;
    for (int line = 0; line < std::max(1, limit); ++line) {
        end = content.find('\n', line == 0 ? 0 : end + 1);
        if (end == std::string::npos) return content;
    }
    return content.substr(0, end) + "\u2026";
}

} // namespace

FontSystem::FontSystem() : handles(std::make_unique<Handles>()) {
    handles->config = FcConfigCreate();
    if (!handles->config ||
        !FcConfigParseAndLoadFromMemory(handles->config, reinterpret_cast<const FcChar8*>(configuration),
                                        FcTrue) ||
        !FcConfigBuildFonts(handles->config)) {
        throw std::runtime_error("the renderer's font configuration cannot be loaded");
    }
    FcFontSet* fonts = FcConfigGetFonts(handles->config, FcSetSystem);
    if (!fonts || fonts->nfont == 0) {
        throw std::runtime_error("no fonts for the renderer: install fonts-inter and fonts-dejavu-core");
    }
    handles->fontMap = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    if (!handles->fontMap) throw std::runtime_error("pango has no FreeType font map");
    pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(handles->fontMap), handles->config);
    handles->context = pango_font_map_create_context(handles->fontMap);
    fixRendering(handles->context);
}

FontSystem::~FontSystem() = default;

double FontSystem::pointSize(const Font& font) {
    if (!font.textStyle) return font.size;
    switch (*font.textStyle) {
    case Font::TextStyle::title2:
        return 17;
    case Font::TextStyle::body:
        return 13;
    }
    return 13;
}

PangoLayoutPtr FontSystem::layout(const std::string& content, const Environment& environment,
                                  std::optional<double> width) const {
    PangoLayoutPtr layout{pango_layout_new(handles->context)};
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, environment.font.design == Font::Design::monospaced
                                                       ? "DejaVu Sans Mono"
                                                       : "Inter, DejaVu Sans");
    pango_font_description_set_weight(description, pangoWeight(environment.font.weight));
    pango_font_description_set_absolute_size(description, pointSize(environment.font) * PANGO_SCALE);
    pango_layout_set_font_description(layout.get(), description);
    pango_font_description_free(description);

    const std::string shown = environment.lineLimit ? firstLines(content, *environment.lineLimit) : content;
    pango_layout_set_text(layout.get(), shown.data(), static_cast<int>(shown.size()));
    pango_layout_set_alignment(layout.get(), pangoAlignment(environment.multilineTextAlignment));
    // Pango cuts lines only at a width: a text's own width, when nothing narrower is asked for.
    std::optional<double> wrapWidth = width && std::isfinite(*width) ? width : std::nullopt;
    if (!wrapWidth && environment.lineLimit) wrapWidth = measure(layout.get()).width;
    if (wrapWidth) {
        pango_layout_set_width(layout.get(), static_cast<int>(std::max(0.0, *wrapWidth) * PANGO_SCALE));
        pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
        if (environment.lineLimit) {
            pango_layout_set_height(layout.get(), -std::max(1, *environment.lineLimit));
            pango_layout_set_ellipsize(layout.get(), ellipsizeMode(environment.truncation));
        }
    }
    return layout;
}

Size FontSystem::measure(PangoLayout* layout) {
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    return {std::ceil(static_cast<double>(logical.width) / PANGO_SCALE),
            std::ceil(static_cast<double>(logical.height) / PANGO_SCALE)};
}

} // namespace platform::ui::render
