#pragma once
// The sizes of the controls' own parts, which layout and drawing share.

namespace platform::ui::render {

struct SliderMetrics {
    static constexpr double knobRadius = 9;
    static constexpr double trackThickness = 4;
    static constexpr double labelSpacing = 8; // between a value label and the track's end
    static constexpr double idealTrack = 160;
};

// The filled bezel of a prominent button around its label.
struct BezelMetrics {
    static constexpr double vertical = 3;
    static constexpr double horizontal = 8;
    static constexpr double cornerRadius = 6;
};

} // namespace platform::ui::render
