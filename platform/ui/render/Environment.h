#pragma once
// What a node hands down to everything inside it, as the framework's environment does: the
// font, the foreground style and how texts wrap, cut and align.

#include <optional>

#include "platform/ui/Node.h"

namespace platform::ui::render {

struct Environment {
    Font font = Font::body();
    std::optional<Color> foreground{}; // none: the text colour of the appearance
    std::optional<int> lineLimit{};
    TruncationMode truncation = TruncationMode::tail;
    TextAlignment multilineTextAlignment = TextAlignment::leading;

    // The environment of `node`'s content: this one with the node's own settings over it.
    Environment inside(const Node& node) const;
};

} // namespace platform::ui::render
