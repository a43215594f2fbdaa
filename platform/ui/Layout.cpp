#include "platform/ui/Layout.h"

#include <algorithm>

namespace platform::ui {

std::optional<double> resolveWidth(const Node& node, double available) {
    const Modifiers& modifiers = node.modifiers;
    if (modifiers.frame.width) return *modifiers.frame.width;
    if (modifiers.relativeWidth) {
        return std::max(available * modifiers.relativeWidth->fraction, modifiers.relativeWidth->minimum);
    }
    if (modifiers.frame.maxWidth) return std::min(available, *modifiers.frame.maxWidth);
    return std::nullopt;
}

} // namespace platform::ui
