#pragma once
// The little layout the views' tests need: the width a node takes in its container.

#include <optional>

#include "platform/ui/Node.h"

namespace platform::ui {

// The width `node` takes where its container offers `available` points: its fixed width; a
// relative width resolved against `available`; all of `available` for a flexible frame (held to
// its maximum). None for a node that sizes itself to its content.
std::optional<double> resolveWidth(const Node& node, double available);

} // namespace platform::ui
