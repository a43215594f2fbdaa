#include "platform/ui/render/Renderer.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include <cairo.h>

#include "FontSystem.h"
#include "LayoutEngine.h"
#include "Painter.h"
#include "Palette.h"

namespace platform::ui::render {

namespace {

// Frontmost first: later children are drawn over earlier ones.
const PlacedNode* controlIn(const PlacedNode& placed, Point point) {
    if (!placed.clip.contains(point)) return nullptr;
    for (auto child = placed.children.rbegin(); child != placed.children.rend(); ++child) {
        if (const PlacedNode* found = controlIn(*child, point)) return found;
    }
    const Node& node = *placed.node;
    const bool enabled =
        (node.kind == NodeKind::button && node.action) || (node.kind == NodeKind::slider && node.slider);
    return enabled && placed.frame.contains(point) ? &placed : nullptr;
}

} // namespace

Renderer::Renderer() : fonts(std::make_unique<FontSystem>()) {}

Renderer::~Renderer() = default;

Size Renderer::idealSize(const Node& root) const {
    const Size size = LayoutEngine(*fonts).size(root, {}, Environment{}, Axis::none);
    return {std::ceil(size.width), std::ceil(size.height)};
}

// A root smaller than the window sits in its middle, as a window's content view does.
LaidOutTree Renderer::layout(const Node& root, Size size) const {
    const LayoutEngine engine(*fonts);
    const Proposal proposal{size.width, size.height};
    const Size chosen = engine.size(root, proposal, Environment{}, Axis::none);
    const Point origin{std::round((size.width - chosen.width) / 2),
                       std::round((size.height - chosen.height) / 2)};
    const Rect window{0, 0, size.width, size.height};
    return {engine.place(root, proposal, {std::max(0.0, origin.x), std::max(0.0, origin.y)}, window,
                         Environment{}, Axis::none),
            size};
}

void Renderer::draw(const LaidOutTree& tree, cairo_t* cairo, Appearance appearance) const {
    cairo_save(cairo);
    const Rgba background = Palette::windowBackground(appearance);
    cairo_set_source_rgba(cairo, background.red, background.green, background.blue, background.alpha);
    cairo_rectangle(cairo, 0, 0, tree.size.width, tree.size.height);
    cairo_fill(cairo);
    Painter(*fonts, cairo, appearance).paint(tree.root, Environment{});
    cairo_restore(cairo);
}

std::optional<Control> Renderer::controlAt(const LaidOutTree& tree, Point point) {
    const PlacedNode* found = controlIn(tree.root, point);
    if (!found) return std::nullopt;
    return Control{found->node, found->node->kind == NodeKind::slider ? found->track : found->frame};
}

double Renderer::sliderValueAt(const Control& slider, double x) {
    const SliderSetup* setup = slider.node->slider.get();
    if (!setup) return 0;
    const double fraction =
        slider.frame.width > 0 ? std::clamp((x - slider.frame.x) / slider.frame.width, 0.0, 1.0) : 0;
    return setup->minimum + fraction * (setup->maximum - setup->minimum);
}

void Renderer::writePng(const Node& root, std::optional<Size> size, Appearance appearance,
                        const std::string& path) const {
    const Size pictureSize = size.value_or(idealSize(root));
    constexpr double largestSide = 16384;
    auto side = [&](double length) {
        if (!(length >= 1 && length <= largestSide)) {
            throw std::runtime_error("cannot draw " + path + ": a side of " + std::to_string(length) +
                                     " points is not between 1 and 16384");
        }
        return static_cast<int>(std::ceil(length));
    };
    const int width = side(pictureSize.width);
    const int height = side(pictureSize.height);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cairo = cairo_create(surface);
    draw(layout(root, {static_cast<double>(width), static_cast<double>(height)}), cairo, appearance);
    cairo_destroy(cairo);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        throw std::runtime_error("cannot write " + path + ": " + cairo_status_to_string(status));
    }
}

} // namespace platform::ui::render
