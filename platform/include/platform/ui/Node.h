#pragma once
// The plain tree a declarative view's body builds: stacks, texts, shapes, buttons, scroll areas,
// grids and sliders, each with the sizes, spacings, fonts, colours and texts it is shown with.
// Tests assert on the tree; TextRendering.h prints it.
//
// Build a tree with the functions below and chain modifiers on the result:
//
//     vStack(Alignment::center, 16, {
//         systemImage("pianokeys").font(Font::system(40)).foregroundStyle(Color::secondary()),
//         text("Tolvane Vantrel").font(Font::title2().bold()),
//     }).padding(Edges::all, 40).frame({.width = 400, .height = 200});
//
// Modifiers are attributes of the node, applied in one fixed order whatever the order of the
// calls: the content is padded, the padded content placed in the frame, the background drawn
// behind the frame. Frames and paddings given twice combine: paddings add up, a frame keeps the
// sizes of both and the later alignment.
//
// All of it is [main]. A tree's actions and bindings refer to the view that built it: use the
// tree while that view lives.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Binding.h"
#include "platform/ui/Color.h"
#include "platform/ui/Font.h"

namespace platform::ui {

enum class NodeKind {
    vStack,
    hStack,
    zStack,
    text,
    image,
    circle,
    roundedRectangle,
    divider,
    spacer,
    button,
    scrollView,
    lazyVGrid,
    slider,
};

// A vertical stack aligns horizontally (leading, center, trailing), a horizontal stack
// vertically (top, center, bottom); a layered stack and a frame take any of them.
enum class Alignment { center, leading, trailing, top, bottom };
enum class RoundedCornerStyle { circular, continuous };
enum class ButtonStyle { plain, borderedProminent };
enum class TruncationMode { head, middle, tail };
enum class TextAlignment { leading, center, trailing };

enum class Edges : unsigned {
    top = 1,
    leading = 2,
    bottom = 4,
    trailing = 8,
    horizontal = leading | trailing,
    vertical = top | bottom,
    all = top | leading | bottom | trailing,
};
constexpr Edges operator|(Edges a, Edges b) {
    return static_cast<Edges>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool contains(Edges set, Edges edge) {
    return (static_cast<unsigned>(set) & static_cast<unsigned>(edge)) != 0;
}

struct EdgeInsets {
    double top = 0;
    double leading = 0;
    double bottom = 0;
    double trailing = 0;
    bool operator==(const EdgeInsets&) const = default;
};

struct Padding {
    EdgeInsets insets;
    bool platformDefault = false; // the platform's default margin on every edge, besides `insets`
    bool operator==(const Padding&) const = default;
};

// Fixed sizes and a flexible maximum (infinity: as wide as offered); unset fields leave the
// node's own size.
struct Frame {
    std::optional<double> width{};
    std::optional<double> height{};
    std::optional<double> maxWidth{};
    Alignment alignment = Alignment::center;
    bool operator==(const Frame&) const = default;
};

// A width relative to what the node's container offers: `fraction` of it, at least `minimum`.
struct RelativeWidth {
    double fraction = 1;
    double minimum = 0;
    bool operator==(const RelativeWidth&) const = default;
};

// A flexible grid column: at least `minimum` wide, at most `maximum` (none: no limit),
// `spacing` from the next column, its cells placed by `alignment`.
struct GridItem {
    double minimum = 10;
    std::optional<double> maximum{};
    double spacing = 0;
    Alignment alignment = Alignment::center;
    bool operator==(const GridItem&) const = default;
};

struct SliderSetup {
    Binding<double> value{};
    double minimum = 0;
    double maximum = 1;
    std::function<void(bool editing)> onEditingChanged{};
    std::string minimumValueLabel{};
    std::string maximumValueLabel{};

    // What a user's drag does: editing starts, the value follows each position (held to the
    // range; positions that are no number are skipped), editing ends.
    void drag(const std::vector<double>& positions) const;
};

struct Node;

struct Modifiers {
    std::optional<std::int64_t> id; // identity among generated siblings
    std::optional<Font> font;
    std::optional<Color> foreground;
    std::optional<Fill> fill;
    std::optional<double> opacity;
    std::optional<int> lineLimit;
    std::optional<TruncationMode> truncation;
    std::optional<TextAlignment> multilineTextAlignment;
    Padding padding;
    Frame frame;
    std::optional<RelativeWidth> relativeWidth;
    std::shared_ptr<const Node> background;
    std::optional<std::string> accessibilityIdentifier;
};

struct Node {
    explicit Node(NodeKind nodeKind) : kind(nodeKind) {}

    NodeKind kind;
    std::string text;                        // a text's string; an image's system symbol name
    std::vector<Node> children;              // a stack's, grid's or scroll area's content; a button's label
    Alignment alignment = Alignment::center; // stacks
    std::optional<double> spacing;           // stacks; between the rows of a grid. None: default
    std::vector<GridItem> columns;           // grid
    double cornerRadius = 0;                 // rounded rectangle
    RoundedCornerStyle cornerStyle = RoundedCornerStyle::circular;
    ButtonStyle buttonStyle = ButtonStyle::plain;
    std::function<void()> action; // button
    bool showsIndicators = false; // scroll area
    std::shared_ptr<const SliderSetup> slider;
    Modifiers modifiers;

    Node id(std::int64_t identity) &&;
    Node font(Font value) &&;
    Node foregroundStyle(Color color) &&;
    Node fill(Fill value) &&;
    Node opacity(double value) &&;
    Node lineLimit(int lines) &&;
    Node truncationMode(TruncationMode mode) &&;
    Node multilineTextAlignment(TextAlignment textAlignment) &&;
    Node padding() &&; // the platform's default margin on every edge
    Node padding(Edges edges, double amount) &&;
    Node frame(const Frame& sizes) &&;
    Node relativeWidth(double fraction, double minimum) &&;
    Node background(Node behind) &&;
    Node accessibilityIdentifier(std::string identifier) &&;
};

Node vStack(Alignment alignment, std::optional<double> spacing, std::vector<Node> children);
Node hStack(Alignment alignment, std::optional<double> spacing, std::vector<Node> children);
Node zStack(Alignment alignment, std::vector<Node> children);
Node text(std::string content);
Node systemImage(std::string symbolName);
Node circle();
Node roundedRectangle(double cornerRadius, RoundedCornerStyle style);
Node divider();
Node spacer();
Node button(Node label, ButtonStyle style, std::function<void()> action);
Node scrollView(bool showsIndicators, Node content);
Node lazyVGrid(std::vector<GridItem> columns, std::optional<double> rowSpacing, std::vector<Node> cells);
// Throws std::invalid_argument when the range is empty (minimum above maximum) or no number.
Node slider(SliderSetup setup);

// The nodes that match, depth first in rendering order (a node, its background, its children).
std::vector<const Node*> findNodes(const Node& root, const std::function<bool(const Node&)>& match);
// The first node that matches; null when none does.
const Node* findNode(const Node& root, const std::function<bool(const Node&)>& match);

} // namespace platform::ui
