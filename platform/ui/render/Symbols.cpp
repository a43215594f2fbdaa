#include "Symbols.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>

#include "Paths.h"

namespace platform::ui::render {

namespace {

// Six white keys in a rounded case; black keys after the first, second, fourth and fifth.
void pianoKeys(cairo_t* cairo, const Rect& frame) {
    const double stroke = std::max(1.0, frame.height * 0.07);
    const double inset = stroke / 2;
    const Rect body{frame.x + inset, frame.y + frame.height * 0.1 + inset, frame.width - stroke,
                    frame.height * 0.8 - stroke};
    cairo_set_line_width(cairo, stroke);
    roundedRectanglePath(cairo, body, frame.height * 0.12);
    cairo_stroke(cairo);

    constexpr int whiteKeys = 6;
    constexpr std::array<bool, whiteKeys - 1> blackAfter{true, true, false, true, true};
    const double key = body.width / whiteKeys;
    const double blackWidth = key * 0.6;
    const double blackHeight = body.height * 0.58;
    cairo_set_line_width(cairo, stroke * 0.7);
    for (int boundary = 1; boundary < whiteKeys; ++boundary) {
        const double x = body.x + key * boundary;
        const bool black = blackAfter[static_cast<std::size_t>(boundary - 1)];
        cairo_move_to(cairo, x, black ? body.y + blackHeight : body.y);
        cairo_line_to(cairo, x, body.y + body.height);
        cairo_stroke(cairo);
        if (black) {
            roundedRectanglePath(cairo, {x - blackWidth / 2, body.y, blackWidth, blackHeight},
                                 blackWidth * 0.2);
            cairo_fill(cairo);
        }
    }
}

// Two interlocked chain links, and a plus in a round badge at the bottom right cut free of them.
void linkBadgePlus(cairo_t* cairo, const Rect& frame) {
    const double unit = frame.height;
    const double stroke = unit * 0.09;
    const double linkLength = unit * 0.56;
    const double linkThickness = unit * 0.3;
    const double centreX = frame.x + unit * 0.5;
    const double centreY = frame.y + unit * 0.48;

    cairo_save(cairo);
    cairo_translate(cairo, centreX, centreY);
    cairo_rotate(cairo, -M_PI / 4);
    cairo_set_line_width(cairo, stroke);
    for (double offset : {-linkLength * 0.33, linkLength * 0.33}) {
        roundedRectanglePath(cairo, {offset - linkLength / 2, -linkThickness / 2, linkLength, linkThickness},
                             linkThickness / 2);
        cairo_stroke(cairo);
    }
    cairo_restore(cairo);

    const double radius = unit * 0.25;
    const double badgeX = frame.x + frame.width - radius;
    const double badgeY = frame.y + frame.height - radius;
    cairo_save(cairo);
    cairo_set_operator(cairo, CAIRO_OPERATOR_CLEAR);
    cairo_arc(cairo, badgeX, badgeY, radius + stroke, 0, 2 * M_PI);
    cairo_fill(cairo);
    cairo_restore(cairo);
    cairo_arc(cairo, badgeX, badgeY, radius, 0, 2 * M_PI);
    cairo_fill(cairo);

    cairo_save(cairo);
    cairo_set_operator(cairo, CAIRO_OPERATOR_CLEAR);
    cairo_set_line_width(cairo, stroke * 0.8);
    cairo_set_line_cap(cairo, CAIRO_LINE_CAP_ROUND);
    const double arm = radius * 0.5;
    cairo_move_to(cairo, badgeX - arm, badgeY);
    cairo_line_to(cairo, badgeX + arm, badgeY);
    cairo_move_to(cairo, badgeX, badgeY - arm);
    cairo_line_to(cairo, badgeX, badgeY + arm);
    cairo_stroke(cairo);
    cairo_restore(cairo);
}

void unknownSymbol(cairo_t* cairo, const Rect& frame) {
    const double side = std::min(frame.width, frame.height);
    const double stroke = std::max(1.0, side * 0.06);
    cairo_set_line_width(cairo, stroke);
    roundedRectanglePath(
        cairo,
        {frame.x + (frame.width - side) / 2 + stroke / 2, frame.y + stroke / 2, side - stroke, side - stroke},
        side * 0.2);
    cairo_stroke(cairo);
}

} // namespace

void drawSymbol(cairo_t* cairo, const std::string& name, const Rect& frame, const Rgba& color) {
    static const std::map<std::string, std::function<void(cairo_t*, const Rect&)>> symbols{
        {"pianokeys", pianoKeys},
        {"link.badge.plus", linkBadgePlus},
    };
    // A group of its own, so that the badge's cut-out clears the symbol only.
    cairo_push_group(cairo);
    cairo_set_source_rgba(cairo, color.red, color.green, color.blue, 1);
    const auto symbol = symbols.find(name);
    (symbol != symbols.end() ? symbol->second : unknownSymbol)(cairo, frame);
    cairo_pop_group_to_source(cairo);
    cairo_paint_with_alpha(cairo, color.alpha);
}

} // namespace platform::ui::render
