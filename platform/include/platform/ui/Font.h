#pragma once
// Fonts of the view framework: the system font at a size in points, or a text style whose size
// is the platform's, each with a weight and a design.

#include <optional>

namespace platform::ui {

struct Font {
    enum class TextStyle { title2, body };
    enum class Weight { regular, medium, semibold, bold };
    enum class Design { standard, monospaced };

    std::optional<TextStyle> textStyle{}; // none: the system font at `size`
    double size = 0;
    Weight weight = Weight::regular;
    Design design = Design::standard;

    static constexpr Font system(double size, Weight weight = Weight::regular,
                                 Design design = Design::standard) {
        return {std::nullopt, size, weight, design};
    }
    static constexpr Font title2() { return {TextStyle::title2}; }
    static constexpr Font body() { return {TextStyle::body}; }

    constexpr Font bold() const {
        Font heavier = *this;
        heavier.weight = Weight::bold;
        return heavier;
    }

    bool operator==(const Font&) const = default;
};

} // namespace platform::ui
