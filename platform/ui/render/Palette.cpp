#include "Palette.h"

#include <cmath>

namespace platform::ui::render {

namespace {

constexpr Rgba bytes(int red, int green, int blue, double alpha = 1) {
    return {red / 255.0, green / 255.0, blue / 255.0, alpha};
}

Rgba fromHsb(double hue, double saturation, double brightness, double alpha) {
    const double sector = std::fmod(std::fmod(hue, 1.0) + 1.0, 1.0) * 6;
    const int index = static_cast<int>(sector) % 6;
    const double fraction = sector - std::floor(sector);
    const double p = brightness * (1 - saturation);
    const double q = brightness * (1 - saturation * fraction);
    const double t = brightness * (1 - saturation * (1 - fraction));
    switch (index) {
    case 0:
        return {brightness, t, p, alpha};
    case 1:
        return {q, brightness, p, alpha};
    case 2:
        return {p, brightness, t, alpha};
    case 3:
        return {p, q, brightness, alpha};
    case 4:
        return {t, p, brightness, alpha};
    default:
        return {brightness, p, q, alpha};
    }
}

// Text styles are the text colour at falling opacities, as on the platform.
Rgba label(Appearance appearance, double alpha) {
    return appearance == Appearance::dark ? Rgba{1, 1, 1, alpha} : Rgba{0, 0, 0, alpha};
}

} // namespace

Rgba Palette::resolve(const Color& color, Appearance appearance) {
    const bool dark = appearance == Appearance::dark;
    Rgba rgba;
    switch (color.kind) {
    case Color::Kind::primary:
        rgba = label(appearance, 0.85);
        break;
    case Color::Kind::secondary:
        rgba = label(appearance, dark ? 0.55 : 0.5);
        break;
    case Color::Kind::tertiary:
        rgba = label(appearance, dark ? 0.3 : 0.26);
        break;
    case Color::Kind::accent:
        rgba = dark ? bytes(10, 132, 255) : bytes(0, 122, 255);
        break;
    case Color::Kind::green:
        rgba = dark ? bytes(50, 215, 75) : bytes(40, 205, 65);
        break;
    case Color::Kind::orange:
        rgba = dark ? bytes(255, 159, 10) : bytes(255, 149, 0);
        break;
    case Color::Kind::red:
        rgba = dark ? bytes(255, 69, 58) : bytes(255, 59, 48);
        break;
    case Color::Kind::white:
        rgba = {1, 1, 1, 1};
        break;
    case Color::Kind::hsb:
        return fromHsb(color.hue, color.saturation, color.brightness, color.alpha);
    }
    rgba.alpha *= color.alpha;
    return rgba;
}

Rgba Palette::windowBackground(Appearance appearance) {
    return appearance == Appearance::dark ? bytes(30, 30, 30) : bytes(236, 236, 236);
}

Rgba Palette::separator(Appearance appearance) {
    return label(appearance, appearance == Appearance::dark ? 0.3 : 0.2);
}

Rgba Palette::sliderTrack(Appearance appearance) {
    return label(appearance, appearance == Appearance::dark ? 0.2 : 0.12);
}

Rgba Palette::sliderKnob(Appearance appearance) {
    return appearance == Appearance::dark ? bytes(204, 204, 204) : bytes(255, 255, 255);
}

} // namespace platform::ui::render
