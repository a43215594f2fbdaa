#include "platform/ui/Node.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace platform::ui {

void SliderSetup::drag(const std::vector<double>& positions) const {
    if (onEditingChanged) onEditingChanged(true);
    for (const double position : positions) {
        if (!std::isnan(position)) value.set(std::clamp(position, minimum, maximum));
    }
    if (onEditingChanged) onEditingChanged(false);
}

Node Node::id(std::int64_t identity) && {
    modifiers.id = identity;
    return std::move(*this);
}

Node Node::font(Font value) && {
    modifiers.font = value;
    return std::move(*this);
}

Node Node::foregroundStyle(Color color) && {
    modifiers.foreground = color;
    return std::move(*this);
}

Node Node::fill(Fill value) && {
    modifiers.fill = std::move(value);
    return std::move(*this);
}

Node Node::opacity(double value) && {
    modifiers.opacity = value;
    return std::move(*this);
}

Node Node::lineLimit(int lines) && {
    modifiers.lineLimit = lines;
    return std::move(*this);
}

Node Node::truncationMode(TruncationMode mode) && {
    modifiers.truncation = mode;
    return std::move(*this);
}

Node Node::multilineTextAlignment(TextAlignment textAlignment) && {
    modifiers.multilineTextAlignment = textAlignment;
    return std::move(*this);
}

Node Node::padding() && {
    modifiers.padding.platformDefault = true;
    return std::move(*this);
}

Node Node::padding(Edges edges, double amount) && {
    EdgeInsets& insets = modifiers.padding.insets;
    if (contains(edges, Edges::top)) insets.top += amount;
    if (contains(edges, Edges::leading)) insets.leading += amount;
    if (contains(edges, Edges::bottom)) insets.bottom += amount;
    if (contains(edges, Edges::trailing)) insets.trailing += amount;
    return std::move(*this);
}

Node Node::frame(const Frame& sizes) && {
    Frame& current = modifiers.frame;
    if (sizes.width) current.width = sizes.width;
    if (sizes.height) current.height = sizes.height;
    if (sizes.maxWidth) current.maxWidth = sizes.maxWidth;
    current.alignment = sizes.alignment;
    return std::move(*this);
}

Node Node::relativeWidth(double fraction, double minimum) && {
    modifiers.relativeWidth = RelativeWidth{fraction, minimum};
    return std::move(*this);
}

Node Node::background(Node behind) && {
    modifiers.background = std::make_shared<const Node>(std::move(behind));
    return std::move(*this);
}

Node Node::accessibilityIdentifier(std::string identifier) && {
    modifiers.accessibilityIdentifier = std::move(identifier);
    return std::move(*this);
}

namespace {

Node stack(NodeKind kind, Alignment alignment, std::optional<double> spacing, std::vector<Node> children) {
    Node node(kind);
    node.alignment = alignment;
    node.spacing = spacing;
    node.children = std::move(children);
    return node;
}

Node withText(NodeKind kind, std::string content) {
    Node node(kind);
    node.text = std::move(content);
    return node;
}

void collect(const Node& node, const std::function<bool(const Node&)>& match,
             std::vector<const Node*>& found) {
    if (match(node)) found.push_back(&node);
    if (node.modifiers.background) collect(*node.modifiers.background, match, found);
    for (const Node& child : node.children)
        collect(child, match, found);
}

} // namespace

Node vStack(Alignment alignment, std::optional<double> spacing, std::vector<Node> children) {
    return stack(NodeKind::vStack, alignment, spacing, std::move(children));
}

Node hStack(Alignment alignment, std::optional<double> spacing, std::vector<Node> children) {
    return stack(NodeKind::hStack, alignment, spacing, std::move(children));
}

Node zStack(Alignment alignment, std::vector<Node> children) {
    return stack(NodeKind::zStack, alignment, std::nullopt, std::move(children));
}

Node text(std::string content) {
    return withText(NodeKind::text, std::move(content));
}

Node systemImage(std::string symbolName) {
    return withText(NodeKind::image, std::move(symbolName));
}

Node circle() {
    return Node(NodeKind::circle);
}

Node roundedRectangle(double cornerRadius, RoundedCornerStyle style) {
    Node node(NodeKind::roundedRectangle);
    node.cornerRadius = cornerRadius;
    node.cornerStyle = style;
    return node;
}

Node divider() {
    return Node(NodeKind::divider);
}

Node spacer() {
    return Node(NodeKind::spacer);
}

Node button(Node label, ButtonStyle style, std::function<void()> action) {
    Node node(NodeKind::button);
    node.children.push_back(std::move(label));
    node.buttonStyle = style;
    node.action = std::move(action);
    return node;
}

Node scrollView(bool showsIndicators, Node content) {
    Node node(NodeKind::scrollView);
    node.showsIndicators = showsIndicators;
    node.children.push_back(std::move(content));
    return node;
}

Node lazyVGrid(std::vector<GridItem> columns, std::optional<double> rowSpacing, std::vector<Node> cells) {
    Node node(NodeKind::lazyVGrid);
    node.columns = std::move(columns);
    node.spacing = rowSpacing;
    node.children = std::move(cells);
    return node;
}

Node slider(SliderSetup setup) {
    // Negated so that a range with a bound that is no number is refused too.
    if (!(setup.minimum <= setup.maximum)) {
        throw std::invalid_argument("slider: the range's minimum must not exceed its maximum");
    }
    Node node(NodeKind::slider);
    node.slider = std::make_shared<const SliderSetup>(std::move(setup));
    return node;
}

std::vector<const Node*> findNodes(const Node& root, const std::function<bool(const Node&)>& match) {
    std::vector<const Node*> found;
    collect(root, match, found);
    return found;
}

const Node* findNode(const Node& root, const std::function<bool(const Node&)>& match) {
    const std::vector<const Node*> found = findNodes(root, match);
    return found.empty() ? nullptr : found.front();
}

} // namespace platform::ui
