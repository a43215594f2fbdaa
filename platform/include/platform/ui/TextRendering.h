#pragma once
// The text rendering of a node tree, as the scenario runner prints it.
//
// One line per node, indented two spaces per level of depth:
//
//     KIND ["TEXT"] [key=value ...]
//
// KIND is the builder's name (vStack, hStack, zStack, text, image, circle, roundedRectangle,
// divider, spacer, button, scrollView, lazyVGrid, slider). TEXT is a text's string or an
// image's symbol name as a JSON string (UTF-8 kept, line breaks as \n). Attributes that are
// set follow in this order:
//
//     id alignment spacing columns cornerRadius cornerStyle style showsIndicators
//     value range minimumValueLabel maximumValueLabel
//     font foreground fill opacity lineLimit truncation multilineTextAlignment
//     padding width height maxWidth frameAlignment widthFraction minWidth
//     accessibilityIdentifier
//
// Values: numbers with at most three decimals, trailing zeros dropped (16, 0.3, 0.744, inf);
// enumerations by name (center, borderedProminent); free text as a JSON string. Composite
// values contain no spaces:
//
//     font        SIZE|title2|body, then :WEIGHT unless regular, then :monospaced
//                 (12:semibold, 9:monospaced, title2:bold, body)
//     colour      primary secondary tertiary accent green orange red white, or
//                 hsb(H,S,B); then @OPACITY unless 1 (white@0.08, hsb(0.744,0.85,0.9)@0.25)
//     fill        a colour, or linearGradient(leading->trailing,STOP,STOP,...)
//     padding     default, or TOP,LEADING,BOTTOM,TRAILING, or default+TOP,LEADING,...
//     columns     flexible(min:10,max:none,spacing:4,alignment:center),flexible(...)
//     range       MIN...MAX; value: the slider's bound value as read now
//
// A background is a line of its own one level deeper, before the children, its kind written
// as background:KIND. A button's label is its child; a grid's spacing is between its rows.

#include <string>
#include <vector>

#include "platform/ui/Node.h"

namespace platform::ui {

// [main] Reads slider values through their bindings.
std::vector<std::string> renderLines(const Node& root);

} // namespace platform::ui
