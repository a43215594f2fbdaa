#include "platform/ui/TextRendering.h"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace platform::ui {

namespace {

std::string number(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", value);
    std::string text = buffer;
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text == "-0" ? "0" : text;
}

std::string quoted(const std::string& text) {
    // Invalid UTF-8 is shown replaced rather than stopping the rendering.
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

const char* name(NodeKind kind) {
    switch (kind) {
    case NodeKind::vStack:
        return "vStack";
    case NodeKind::hStack:
        return "hStack";
    case NodeKind::zStack:
        return "zStack";
    case NodeKind::text:
        return "text";
    case NodeKind::image:
        return "image";
    case NodeKind::circle:
        return "circle";
    case NodeKind::roundedRectangle:
        return "roundedRectangle";
    case NodeKind::divider:
        return "divider";
    case NodeKind::spacer:
        return "spacer";
    case NodeKind::button:
        return "button";
    case NodeKind::scrollView:
        return "scrollView";
    case NodeKind::lazyVGrid:
        return "lazyVGrid";
    case NodeKind::slider:
        return "slider";
    }
    return "?";
}

const char* name(Alignment alignment) {
    switch (alignment) {
    case Alignment::center:
        return "center";
    case Alignment::leading:
        return "leading";
    case Alignment::trailing:
        return "trailing";
    case Alignment::top:
        return "top";
    case Alignment::bottom:
        return "bottom";
    }
    return "?";
}

const char* name(TextAlignment alignment) {
    switch (alignment) {
    case TextAlignment::leading:
        return "leading";
    case TextAlignment::center:
        return "center";
    case TextAlignment::trailing:
        return "trailing";
    }
    return "?";
}

const char* name(TruncationMode mode) {
    switch (mode) {
    case TruncationMode::head:
        return "head";
    case TruncationMode::middle:
        return "middle";
    case TruncationMode::tail:
        return "tail";
    }
    return "?";
}

const char* name(UnitPoint point) {
    switch (point) {
    case UnitPoint::leading:
        return "leading";
    case UnitPoint::trailing:
        return "trailing";
    case UnitPoint::top:
        return "top";
    case UnitPoint::bottom:
        return "bottom";
    }
    return "?";
}

const char* name(Font::Weight weight) {
    switch (weight) {
    case Font::Weight::regular:
        return "regular";
    case Font::Weight::medium:
        return "medium";
    case Font::Weight::semibold:
        return "semibold";
    case Font::Weight::bold:
        return "bold";
    }
    return "?";
}

std::string describe(const Font& font) {
    std::string text;
    if (!font.textStyle)
        text = number(font.size);
    else
        text = *font.textStyle == Font::TextStyle::title2 ? "title2" : "body";
    if (font.weight != Font::Weight::regular) text += std::string(":") + name(font.weight);
    if (font.design == Font::Design::monospaced) text += ":monospaced";
    return text;
}

std::string describe(const Color& color) {
    std::string text;
    switch (color.kind) {
    case Color::Kind::primary:
        text = "primary";
        break;
    case Color::Kind::secondary:
        text = "secondary";
        break;
    case Color::Kind::tertiary:
        text = "tertiary";
        break;
    case Color::Kind::accent:
        text = "accent";
        break;
    case Color::Kind::green:
        text = "green";
        break;
    case Color::Kind::orange:
        text = "orange";
        break;
    case Color::Kind::red:
        text = "red";
        break;
    case Color::Kind::white:
        text = "white";
        break;
    case Color::Kind::hsb:
        text = "hsb(" + number(color.hue) + "," + number(color.saturation) + "," + number(color.brightness) +
               ")";
        break;
    }
    if (color.alpha != 1) text += "@" + number(color.alpha);
    return text;
}

std::string describe(const Fill& fill) {
    if (const auto* color = std::get_if<Color>(&fill)) return describe(*color);
    const auto& gradient = std::get<LinearGradient>(fill);
    std::string text =
        std::string("linearGradient(") + name(gradient.startPoint) + "->" + name(gradient.endPoint);
    for (const Color& stop : gradient.stops) {
        text += ',';
        text += describe(stop);
    }
    return text + ")";
}

std::string describe(const Padding& padding) {
    const EdgeInsets& insets = padding.insets;
    const bool explicitInsets = insets != EdgeInsets{};
    std::string text = padding.platformDefault ? "default" : "";
    if (padding.platformDefault && explicitInsets) text += "+";
    if (explicitInsets) {
        text += number(insets.top) + "," + number(insets.leading) + "," + number(insets.bottom) + "," +
                number(insets.trailing);
    }
    return text;
}

std::string describe(const std::vector<GridItem>& columns) {
    std::string text;
    for (const GridItem& column : columns) {
        if (!text.empty()) text += ",";
        text += "flexible(min:" + number(column.minimum) +
                ",max:" + (column.maximum ? number(*column.maximum) : std::string("none")) +
                ",spacing:" + number(column.spacing) + ",alignment:" + name(column.alignment) + ")";
    }
    return text;
}

class Line {
public:
    Line(std::size_t depth, const char* prefix, const Node& node)
        : text_(std::string(depth * 2, ' ') + prefix + name(node.kind)) {
        if (node.kind == NodeKind::text || node.kind == NodeKind::image) text_ += " " + quoted(node.text);
    }
    void add(const char* key, const std::string& value) { text_ += std::string(" ") + key + "=" + value; }
    std::string take() { return std::move(text_); }

private:
    std::string text_;
};

bool isStack(NodeKind kind) {
    return kind == NodeKind::vStack || kind == NodeKind::hStack || kind == NodeKind::zStack;
}

void addKindAttributes(Line& line, const Node& node) {
    if (isStack(node.kind)) line.add("alignment", name(node.alignment));
    if (isStack(node.kind) || node.kind == NodeKind::lazyVGrid) {
        if (node.spacing) line.add("spacing", number(*node.spacing));
    }
    if (node.kind == NodeKind::lazyVGrid) line.add("columns", describe(node.columns));
    if (node.kind == NodeKind::roundedRectangle) {
        line.add("cornerRadius", number(node.cornerRadius));
        line.add("cornerStyle",
                 node.cornerStyle == RoundedCornerStyle::continuous ? "continuous" : "circular");
    }
    if (node.kind == NodeKind::button) {
        line.add("style", node.buttonStyle == ButtonStyle::plain ? "plain" : "borderedProminent");
    }
    if (node.kind == NodeKind::scrollView)
        line.add("showsIndicators", node.showsIndicators ? "true" : "false");
    if (node.kind == NodeKind::slider && node.slider) {
        const SliderSetup& slider = *node.slider;
        if (slider.value.get) line.add("value", number(slider.value.get()));
        line.add("range", number(slider.minimum) + "..." + number(slider.maximum));
        line.add("minimumValueLabel", quoted(slider.minimumValueLabel));
        line.add("maximumValueLabel", quoted(slider.maximumValueLabel));
    }
}

void addModifiers(Line& line, const Modifiers& modifiers) {
    if (modifiers.font) line.add("font", describe(*modifiers.font));
    if (modifiers.foreground) line.add("foreground", describe(*modifiers.foreground));
    if (modifiers.fill) line.add("fill", describe(*modifiers.fill));
    if (modifiers.opacity) line.add("opacity", number(*modifiers.opacity));
    if (modifiers.lineLimit) line.add("lineLimit", std::to_string(*modifiers.lineLimit));
    if (modifiers.truncation) line.add("truncation", name(*modifiers.truncation));
    if (modifiers.multilineTextAlignment) {
        line.add("multilineTextAlignment", name(*modifiers.multilineTextAlignment));
    }
    if (modifiers.padding != Padding{}) line.add("padding", describe(modifiers.padding));
    const Frame& frame = modifiers.frame;
    if (frame.width) line.add("width", number(*frame.width));
    if (frame.height) line.add("height", number(*frame.height));
    if (frame.maxWidth) line.add("maxWidth", number(*frame.maxWidth));
    if (frame.width || frame.height || frame.maxWidth) line.add("frameAlignment", name(frame.alignment));
    if (modifiers.relativeWidth) {
        line.add("widthFraction", number(modifiers.relativeWidth->fraction));
        line.add("minWidth", number(modifiers.relativeWidth->minimum));
    }
    if (modifiers.accessibilityIdentifier) {
        line.add("accessibilityIdentifier", quoted(*modifiers.accessibilityIdentifier));
    }
}

void render(const Node& node, std::size_t depth, const char* prefix, std::vector<std::string>& lines) {
    Line line(depth, prefix, node);
    if (node.modifiers.id) line.add("id", std::to_string(*node.modifiers.id));
    addKindAttributes(line, node);
    addModifiers(line, node.modifiers);
    lines.push_back(line.take());
    if (node.modifiers.background) render(*node.modifiers.background, depth + 1, "background:", lines);
    for (const Node& child : node.children)
        render(child, depth + 1, "", lines);
}

} // namespace

std::vector<std::string> renderLines(const Node& root) {
    std::vector<std::string> lines;
    render(root, 0, "", lines);
    return lines;
}

} // namespace platform::ui
