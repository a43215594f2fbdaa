#include "Environment.h"

namespace platform::ui::render {

Environment Environment::inside(const Node& node) const {
    const Modifiers& set = node.modifiers;
    Environment inner = *this;
    if (set.font) inner.font = *set.font;
    if (set.foreground) inner.foreground = set.foreground;
    if (set.lineLimit) inner.lineLimit = set.lineLimit;
    if (set.truncation) inner.truncation = *set.truncation;
    if (set.multilineTextAlignment) inner.multilineTextAlignment = *set.multilineTextAlignment;
    return inner;
}

} // namespace platform::ui::render
