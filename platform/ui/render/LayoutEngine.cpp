#include "LayoutEngine.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "ControlMetrics.h"

namespace platform::ui::render {

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double shapeIdealLength = 10;

EdgeInsets insetsOf(const Padding& padding) {
    EdgeInsets insets = padding.insets;
    if (padding.platformDefault) {
        insets.top += LayoutEngine::defaultPadding;
        insets.leading += LayoutEngine::defaultPadding;
        insets.bottom += LayoutEngine::defaultPadding;
        insets.trailing += LayoutEngine::defaultPadding;
    }
    return insets;
}

std::optional<double> shrunk(std::optional<double> length, double by) {
    if (!length) return std::nullopt;
    return std::max(0.0, *length - by);
}

bool isFinite(std::optional<double> length) {
    return length && std::isfinite(*length);
}

const Node* firstChild(const Node& node) {
    return node.children.empty() ? nullptr : &node.children.front();
}

double spacingOf(const Node& node) {
    return node.spacing.value_or(LayoutEngine::defaultSpacing);
}

// Where a box of `size` goes inside `container`: alignments name one edge and centre the
// other direction.
Point aligned(const Rect& container, Size size, Alignment alignment) {
    double x = container.x + std::round((container.width - size.width) / 2);
    double y = container.y + std::round((container.height - size.height) / 2);
    switch (alignment) {
    case Alignment::leading:
        x = container.x;
        break;
    case Alignment::trailing:
        x = container.x + container.width - size.width;
        break;
    case Alignment::top:
        y = container.y;
        break;
    case Alignment::bottom:
        y = container.y + container.height - size.height;
        break;
    case Alignment::center:
        break;
    }
    return {x, y};
}

Rect intersection(const Rect& a, const Rect& b) {
    const double left = std::max(a.x, b.x);
    const double top = std::max(a.y, b.y);
    const double right = std::min(a.x + a.width, b.x + b.width);
    const double bottom = std::min(a.y + a.height, b.y + b.height);
    return {left, top, std::max(0.0, right - left), std::max(0.0, bottom - top)};
}

struct StackAxis {
    bool horizontal;

    double along(Size size) const { return horizontal ? size.width : size.height; }
    double across(Size size) const { return horizontal ? size.height : size.width; }
    std::optional<double> along(Proposal proposal) const {
        return horizontal ? proposal.width : proposal.height;
    }
    std::optional<double> across(Proposal proposal) const {
        return horizontal ? proposal.height : proposal.width;
    }
    Proposal proposal(std::optional<double> alongLength, std::optional<double> acrossLength) const {
        return horizontal ? Proposal{alongLength, acrossLength} : Proposal{acrossLength, alongLength};
    }
    Axis axis() const { return horizontal ? Axis::horizontal : Axis::vertical; }
};

} // namespace

struct LayoutEngine::Framing {
    Size outer;       // the node's size: its frame's
    Size padded;      // its padded content's
    Proposal content; // what its content is offered
    EdgeInsets insets;
};

struct LayoutEngine::Grid {
    std::vector<double> columnX;
    std::vector<double> columnWidth;
    std::vector<double> rowY;
    std::vector<double> rowHeight;
    std::vector<Size> cells;
    Size size;
};

LayoutEngine::Framing LayoutEngine::framing(const Node& node, Proposal proposal, const Environment& inner,
                                            Axis parent) const {
    const Modifiers& modifiers = node.modifiers;
    std::optional<double> fixedWidth = modifiers.frame.width;
    if (modifiers.relativeWidth) {
        const RelativeWidth& relative = *modifiers.relativeWidth;
        fixedWidth = proposal.width && relative.fraction > 0
                         ? std::max(relative.minimum, relative.fraction * *proposal.width)
                         : relative.minimum;
    }
    const std::optional<double> maxWidth = modifiers.frame.maxWidth;

    Proposal offered = proposal;
    if (fixedWidth) {
        offered.width = fixedWidth;
    } else if (maxWidth && proposal.width) {
        offered.width = std::min(*proposal.width, *maxWidth);
    }
    if (modifiers.frame.height) offered.height = modifiers.frame.height;

    Framing framing;
    framing.insets = insetsOf(modifiers.padding);
    const double horizontal = framing.insets.leading + framing.insets.trailing;
    const double vertical = framing.insets.top + framing.insets.bottom;
    framing.content = {shrunk(offered.width, horizontal), shrunk(offered.height, vertical)};
    const Size content = contentSize(node, framing.content, inner, parent);
    framing.padded = {content.width + horizontal, content.height + vertical};

    framing.outer = framing.padded;
    if (fixedWidth) {
        framing.outer.width = *fixedWidth;
    } else if (maxWidth && proposal.width) {
        framing.outer.width = std::min(std::max(*proposal.width, framing.padded.width), *maxWidth);
    }
    if (modifiers.frame.height) framing.outer.height = *modifiers.frame.height;
    return framing;
}

Size LayoutEngine::size(const Node& node, Proposal proposal, const Environment& environment,
                        Axis parent) const {
    const SizeQuestion question{&node, proposal.width, proposal.height, parent};
    if (const auto known = answers.find(question); known != answers.end()) return known->second;
    const Size size = framing(node, proposal, environment.inside(node), parent).outer;
    answers.emplace(question, size);
    return size;
}

Size LayoutEngine::contentSize(const Node& node, Proposal proposal, const Environment& inner,
                               Axis parent) const {
    switch (node.kind) {
    case NodeKind::vStack:
    case NodeKind::hStack: {
        const StackAxis axis{node.kind == NodeKind::hStack};
        double along = 0;
        double across = 0;
        for (const Sized& child : stackSizes(node, proposal, inner)) {
            along += axis.along(child.size);
            across = std::max(across, axis.across(child.size));
        }
        if (!node.children.empty()) along += spacingOf(node) * static_cast<double>(node.children.size() - 1);
        return axis.horizontal ? Size{along, across} : Size{across, along};
    }
    case NodeKind::zStack: {
        Size largest;
        for (const Node& child : node.children) {
            const Size size = this->size(child, proposal, inner, Axis::none);
            largest = {std::max(largest.width, size.width), std::max(largest.height, size.height)};
        }
        return largest;
    }
    case NodeKind::text:
        return textSize(node, proposal, inner);
    case NodeKind::image: {
        const double points = FontSystem::pointSize(inner.font);
        return {std::ceil(points * 1.25), std::ceil(points)};
    }
    case NodeKind::circle:
    case NodeKind::roundedRectangle:
        return {proposal.width.value_or(shapeIdealLength), proposal.height.value_or(shapeIdealLength)};
    case NodeKind::divider:
        if (parent == Axis::horizontal) return {1, proposal.height.value_or(0)};
        return {proposal.width.value_or(0), 1};
    case NodeKind::spacer: {
        const double minimum = defaultSpacing;
        if (parent == Axis::horizontal) return {std::max(minimum, proposal.width.value_or(minimum)), 0};
        if (parent == Axis::vertical) return {0, std::max(minimum, proposal.height.value_or(minimum))};
        return {proposal.width.value_or(0), proposal.height.value_or(0)};
    }
    case NodeKind::button: {
        const Node* label = firstChild(node);
        if (!label) return {};
        if (node.buttonStyle == ButtonStyle::plain) return size(*label, proposal, inner, Axis::none);
        const Size size = this->size(*label,
                                     {shrunk(proposal.width, 2 * BezelMetrics::horizontal),
                                      shrunk(proposal.height, 2 * BezelMetrics::vertical)},
                                     inner, Axis::none);
        return {size.width + 2 * BezelMetrics::horizontal, size.height + 2 * BezelMetrics::vertical};
    }
    case NodeKind::scrollView: {
        const Node* content = firstChild(node);
        const Size size =
            content ? this->size(*content, {proposal.width, std::nullopt}, inner, Axis::none) : Size{};
        return {proposal.width.value_or(size.width), proposal.height.value_or(size.height)};
    }
    case NodeKind::lazyVGrid:
        return grid(node, proposal.width, inner).size;
    case NodeKind::slider: {
        const Rect track = sliderTrack(node, {0, 0, 0, 0}, inner);
        const double labels = -track.width; // the track of a slider with no width
        const double height = std::max(2 * SliderMetrics::knobRadius + 4, track.height);
        if (proposal.width) return {std::max(*proposal.width, labels), height};
        return {labels + SliderMetrics::idealTrack, height};
    }
    }
    return {};
}

std::vector<Sized> LayoutEngine::stackSizes(const Node& stack, Proposal proposal,
                                            const Environment& inner) const {
    const StackAxis axis{stack.kind == NodeKind::hStack};
    const std::optional<double> offered = axis.along(proposal);
    const std::optional<double> across = axis.across(proposal);
    const std::size_t count = stack.children.size();
    std::vector<Sized> sized(count);
    auto measure = [&](std::size_t index, std::optional<double> along) {
        const Proposal childProposal = axis.proposal(along, across);
        sized[index] = {childProposal, size(stack.children[index], childProposal, inner, axis.axis())};
    };
    if (!isFinite(offered)) {
        for (std::size_t index = 0; index < count; ++index)
            measure(index, offered);
        return sized;
    }
    // The least flexible child chooses first; each gets an even share of what is left.
    std::vector<double> flexibility(count);
    for (std::size_t index = 0; index < count; ++index) {
        const Node& child = stack.children[index];
        const double largest = axis.along(size(child, axis.proposal(infinity, across), inner, axis.axis()));
        const double smallest = axis.along(size(child, axis.proposal(0.0, across), inner, axis.axis()));
        flexibility[index] = largest - smallest;
    }
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return flexibility[a] < flexibility[b]; });
    double remaining = *offered - (count > 0 ? spacingOf(stack) * static_cast<double>(count - 1) : 0);
    std::size_t left = count;
    for (std::size_t index : order) {
        measure(index, std::max(0.0, remaining / static_cast<double>(left)));
        remaining -= axis.along(sized[index].size);
        --left;
    }
    return sized;
}

LayoutEngine::Grid LayoutEngine::grid(const Node& node, std::optional<double> width,
                                      const Environment& inner) const {
    std::vector<GridItem> columns = node.columns;
    if (columns.empty()) columns.emplace_back();
    const std::size_t count = columns.size();
    double spacings = 0;
    for (std::size_t column = 0; column + 1 < count; ++column)
        spacings += columns[column].spacing;

    Grid grid;
    grid.columnWidth.assign(count, 0);
    if (isFinite(width)) {
        const double share = std::max(0.0, (*width - spacings) / static_cast<double>(count));
        for (std::size_t column = 0; column < count; ++column)
            grid.columnWidth[column] = share;
    } else {
        for (std::size_t cell = 0; cell < node.children.size(); ++cell) {
            double& columnWidth = grid.columnWidth[cell % count];
            columnWidth = std::max(columnWidth, size(node.children[cell], {}, inner, Axis::none).width);
        }
    }
    for (std::size_t column = 0; column < count; ++column) {
        const GridItem& item = columns[column];
        grid.columnWidth[column] =
            std::min(std::max(grid.columnWidth[column], item.minimum), item.maximum.value_or(infinity));
    }
    const double columnsWidth = std::accumulate(grid.columnWidth.begin(), grid.columnWidth.end(), spacings);
    grid.size.width = isFinite(width) ? std::max(*width, columnsWidth) : width.value_or(columnsWidth);
    double x = isFinite(width) ? std::round((grid.size.width - columnsWidth) / 2) : 0;
    for (std::size_t column = 0; column < count; ++column) {
        grid.columnX.push_back(x);
        x += grid.columnWidth[column] + columns[column].spacing;
    }

    const double rowSpacing = spacingOf(node);
    double y = 0;
    for (std::size_t cell = 0; cell < node.children.size(); ++cell) {
        const std::size_t column = cell % count;
        if (column == 0) {
            if (cell > 0) y += grid.rowHeight.back() + rowSpacing;
            grid.rowY.push_back(y);
            grid.rowHeight.push_back(0);
        }
        grid.cells.push_back(
            size(node.children[cell], {grid.columnWidth[column], std::nullopt}, inner, Axis::none));
        grid.rowHeight.back() = std::max(grid.rowHeight.back(), grid.cells.back().height);
    }
    grid.size.height = grid.rowHeight.empty() ? 0 : y + grid.rowHeight.back();
    return grid;
}

Size LayoutEngine::textSize(const Node& node, Proposal proposal, const Environment& inner) const {
    const Size natural = FontSystem::measure(fonts.layout(node.text, inner, std::nullopt).get());
    if (!isFinite(proposal.width) || *proposal.width >= natural.width) return natural;
    const Size wrapped = FontSystem::measure(fonts.layout(node.text, inner, proposal.width).get());
    return {std::min(wrapped.width, *proposal.width), wrapped.height};
}

// The labels sit at the slider's ends, the track between them; `frame` of no width gives a
// track of minus the labels' width.
Rect LayoutEngine::sliderTrack(const Node& node, const Rect& frame, const Environment& inner) const {
    double leading = SliderMetrics::knobRadius;
    double trailing = SliderMetrics::knobRadius;
    double labelHeight = 0;
    auto label = [&](const std::string& content, double& side) {
        if (content.empty()) return;
        const Size size = FontSystem::measure(fonts.layout(content, inner, std::nullopt).get());
        side += size.width + SliderMetrics::labelSpacing;
        labelHeight = std::max(labelHeight, size.height);
    };
    if (node.slider) {
        label(node.slider->minimumValueLabel, leading);
        label(node.slider->maximumValueLabel, trailing);
    }
    const double height = std::max(2 * SliderMetrics::knobRadius, labelHeight);
    return {frame.x + leading, frame.y + std::round((frame.height - height) / 2),
            frame.width - leading - trailing, height};
}

PlacedNode LayoutEngine::place(const Node& node, Proposal proposal, Point origin, const Rect& clip,
                               const Environment& environment, Axis parent) const {
    const Environment inner = environment.inside(node);
    const Framing framing = this->framing(node, proposal, inner, parent);
    const Rect outer{origin.x, origin.y, framing.outer.width, framing.outer.height};

    PlacedNode placed;
    placed.node = &node;
    placed.clip = clip;
    if (node.modifiers.background) {
        placed.background.push_back(
            place(*node.modifiers.background, {outer.width, outer.height}, origin, clip, inner, Axis::none));
    }
    const Point padded = aligned(outer, framing.padded, node.modifiers.frame.alignment);
    const EdgeInsets& insets = framing.insets;
    placed.frame = {padded.x + insets.leading, padded.y + insets.top,
                    framing.padded.width - insets.leading - insets.trailing,
                    framing.padded.height - insets.top - insets.bottom};
    placeContent(placed, framing.content, inner);
    return placed;
}

void LayoutEngine::placeContent(PlacedNode& placed, Proposal proposal, const Environment& inner) const {
    const Node& node = *placed.node;
    const Rect& frame = placed.frame;
    auto add = [&](const Node& child, Proposal childProposal, Point origin, const Rect& clip, Axis axis) {
        placed.children.push_back(place(child, childProposal, origin, clip, inner, axis));
    };
    switch (node.kind) {
    case NodeKind::vStack:
    case NodeKind::hStack: {
        const StackAxis axis{node.kind == NodeKind::hStack};
        const std::vector<Sized> sized = stackSizes(node, proposal, inner);
        double along = axis.horizontal ? frame.x : frame.y;
        for (std::size_t index = 0; index < sized.size(); ++index) {
            const Size size = sized[index].size;
            const Rect lane = axis.horizontal ? Rect{along, frame.y, size.width, frame.height}
                                              : Rect{frame.x, along, frame.width, size.height};
            add(node.children[index], sized[index].proposal, aligned(lane, size, node.alignment), placed.clip,
                axis.axis());
            along += axis.along(size) + spacingOf(node);
        }
        break;
    }
    case NodeKind::zStack:
        for (const Node& child : node.children) {
            add(child, proposal, aligned(frame, size(child, proposal, inner, Axis::none), node.alignment),
                placed.clip, Axis::none);
        }
        break;
    case NodeKind::button:
        if (const Node* label = firstChild(node)) {
            const bool bordered = node.buttonStyle == ButtonStyle::borderedProminent;
            const double dx = bordered ? BezelMetrics::horizontal : 0;
            const double dy = bordered ? BezelMetrics::vertical : 0;
            add(*label, {shrunk(proposal.width, 2 * dx), shrunk(proposal.height, 2 * dy)},
                {frame.x + dx, frame.y + dy}, placed.clip, Axis::none);
        }
        break;
    case NodeKind::scrollView:
        if (const Node* content = firstChild(node)) {
            const Proposal contentProposal{frame.width, std::nullopt};
            const Size size = this->size(*content, contentProposal, inner, Axis::none);
            add(*content, contentProposal, {frame.x + std::round((frame.width - size.width) / 2), frame.y},
                intersection(placed.clip, frame), Axis::none);
        }
        break;
    case NodeKind::lazyVGrid: {
        const Grid grid = this->grid(node, frame.width, inner);
        const std::size_t count = grid.columnWidth.size();
        for (std::size_t cell = 0; cell < node.children.size(); ++cell) {
            const std::size_t column = cell % count;
            const std::size_t row = cell / count;
            const Rect area{frame.x + grid.columnX[column], frame.y + grid.rowY[row],
                            grid.columnWidth[column], grid.rowHeight[row]};
            const Alignment alignment =
                node.columns.empty() ? Alignment::center : node.columns[column].alignment;
            add(node.children[cell], {grid.columnWidth[column], std::nullopt},
                aligned(area, grid.cells[cell], alignment), placed.clip, Axis::none);
        }
        break;
    }
    case NodeKind::slider:
        placed.track = sliderTrack(node, frame, inner);
        break;
    case NodeKind::text:
    case NodeKind::image:
    case NodeKind::circle:
    case NodeKind::roundedRectangle:
    case NodeKind::divider:
    case NodeKind::spacer:
        break;
    }
}

} // namespace platform::ui::render
