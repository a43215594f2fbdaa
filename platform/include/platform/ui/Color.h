#pragma once
// Colours and fills of the view framework: explicit HSB colours, the platform's named system
// colours and its hierarchical foreground styles, and linear gradients.

#include <variant>
#include <vector>

namespace platform::ui {

struct Color {
    // The hierarchical styles (primary, secondary dimmer, tertiary dimmer still) and the named
    // system colours take their tints from the platform; only `hsb` carries its own.
    enum class Kind { primary, secondary, tertiary, accent, green, orange, red, white, hsb };

    Kind kind = Kind::primary;
    double hue = 0; // 0...1 around the colour circle; `hsb` only
    double saturation = 0;
    double brightness = 0;
    double alpha = 1;

    static constexpr Color hsb(double hue, double saturation, double brightness, double opacity = 1) {
        return {Kind::hsb, hue, saturation, brightness, opacity};
    }
    static constexpr Color primary() { return {Kind::primary}; }
    static constexpr Color secondary() { return {Kind::secondary}; }
    static constexpr Color tertiary() { return {Kind::tertiary}; }
    static constexpr Color accent() { return {Kind::accent}; }
    static constexpr Color green() { return {Kind::green}; }
    static constexpr Color orange() { return {Kind::orange}; }
    static constexpr Color red() { return {Kind::red}; }
    static constexpr Color white() { return {Kind::white}; }

    // The same colour at `factor` times its opacity, as stacking opacities does.
    constexpr Color opacity(double factor) const {
        Color faded = *this;
        faded.alpha *= factor;
        return faded;
    }

    bool operator==(const Color&) const = default;
};

enum class UnitPoint { leading, trailing, top, bottom };

// Colour stops spaced evenly from `startPoint` to `endPoint`.
struct LinearGradient {
    std::vector<Color> stops{};
    UnitPoint startPoint = UnitPoint::leading;
    UnitPoint endPoint = UnitPoint::trailing;

    bool operator==(const LinearGradient&) const = default;
};

// What a shape is filled with.
using Fill = std::variant<Color, LinearGradient>;

} // namespace platform::ui
