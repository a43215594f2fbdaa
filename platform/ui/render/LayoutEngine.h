#pragma once
// Sizes and places the nodes of a tree the way the declarative framework does: the parent
// proposes a size (none: "your ideal size"; infinity: "as much as you like"), the child
// chooses its size, the parent places the child.
//
// One engine lays out one tree once: it remembers each node's answer to each proposal, since
// stacks ask their children several times.

#include <map>
#include <optional>
#include <tuple>
#include <vector>

#include "Environment.h"
#include "FontSystem.h"
#include "platform/ui/render/Renderer.h"

namespace platform::ui::render {

struct Proposal {
    std::optional<double> width{};
    std::optional<double> height{};
};

// A child of a stack: what it was offered and what it chose.
struct Sized {
    Proposal proposal;
    Size size;
};

// The stack a node sits in, which decides how spacers and dividers stretch.
enum class Axis { none, horizontal, vertical };

class LayoutEngine {
public:
    explicit LayoutEngine(const FontSystem& fonts) : fonts(fonts) {}

    Size size(const Node& node, Proposal proposal, const Environment& environment, Axis parent) const;
    PlacedNode place(const Node& node, Proposal proposal, Point origin, const Rect& clip,
                     const Environment& environment, Axis parent) const;

    // What the platform gives when a view asks for its defaults.
    static constexpr double defaultSpacing = 8;
    static constexpr double defaultPadding = 16;

private:
    struct Framing; // a node's frame and padding, resolved for one proposal

    Framing framing(const Node& node, Proposal proposal, const Environment& inner, Axis parent) const;
    Size contentSize(const Node& node, Proposal proposal, const Environment& inner, Axis parent) const;
    void placeContent(PlacedNode& placed, Proposal proposal, const Environment& inner) const;

    std::vector<Sized> stackSizes(const Node& stack, Proposal proposal, const Environment& inner) const;
    struct Grid;
    Grid grid(const Node& node, std::optional<double> width, const Environment& inner) const;
    Size textSize(const Node& node, Proposal proposal, const Environment& inner) const;
    Rect sliderTrack(const Node& node, const Rect& frame, const Environment& inner) const;

    const FontSystem& fonts;
    using SizeQuestion = std::tuple<const Node*, std::optional<double>, std::optional<double>, Axis>;
    mutable std::map<SizeQuestion, Size> answers;
};

} // namespace platform::ui::render
