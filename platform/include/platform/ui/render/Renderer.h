#pragma once
// Pixels for node trees: lays a tree out in a size, draws it with cairo and pango, finds the
// control under a point, writes a PNG.
//
// Layout follows the declarative framework the views are written for: a parent proposes a size,
// the child chooses its own within it, the parent places it; flexible children of a stack share
// what their fixed siblings leave. Text is measured with pango in the renderer's own fonts, so
// one renderer gives the same pixels on every machine with the same font packages.
//
// A laid-out tree points into the node tree it was made from: keep that tree alive and
// unchanged while the layout is used. All of it is [main].

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Node.h"

typedef struct _cairo cairo_t;

namespace platform::ui::render {

enum class Appearance { light, dark };

struct Point {
    double x = 0;
    double y = 0;
};

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    bool contains(Point point) const {
        return point.x >= x && point.y >= y && point.x < x + width && point.y < y + height;
    }
    bool operator==(const Rect&) const = default;
};

// One node in its place, in the coordinates of the whole tree: `frame` is where its content is
// drawn (inside its padding), `clip` the area of the tree that shows it (scroll areas cut their
// content), `track` a slider's span, where the centre of its knob travels.
struct PlacedNode {
    const Node* node = nullptr;
    Rect frame;
    Rect clip;
    Rect track;
    std::vector<PlacedNode> background; // none or one
    std::vector<PlacedNode> children;
};

struct LaidOutTree {
    PlacedNode root;
    Size size;
};

// A button or slider under a point: for a button where it is drawn, for a slider its track.
struct Control {
    const Node* node = nullptr;
    Rect frame;
};

class FontSystem;

class Renderer {
public:
    Renderer(); // loads the project's fonts; throws std::runtime_error when none can be loaded
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // The size the tree takes when nothing limits it (a window's initial size).
    Size idealSize(const Node& root) const;
    LaidOutTree layout(const Node& root, Size size) const;
    // Draws at the cairo context's current origin; the context's state is restored afterwards.
    void draw(const LaidOutTree& tree, cairo_t* cairo, Appearance appearance) const;

    // The enabled control (button with an action, slider) drawn frontmost under `point`.
    static std::optional<Control> controlAt(const LaidOutTree& tree, Point point);
    // The value a slider takes when the pointer is at `x` on it (held to its range).
    static double sliderValueAt(const Control& slider, double x);

    // Lays the tree out in `size` (its ideal size when none) and writes its picture as a PNG.
    // Throws std::runtime_error when the file cannot be written.
    void writePng(const Node& root, std::optional<Size> size, Appearance appearance,
                  const std::string& path) const;

private:
    std::unique_ptr<FontSystem> fonts;
};

} // namespace platform::ui::render
