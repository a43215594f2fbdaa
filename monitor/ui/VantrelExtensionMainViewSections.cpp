// The monitor sections shown while connected: controller meters and the articulation grid.

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "monitor/ui/VantrelExtensionMainView.h"

namespace vantrel::monitor {

using namespace platform::ui;

namespace {

// The channel-mode controllers from here on are never shown.
constexpr int firstChannelModeController = 120;
constexpr int maxLevel = 127;
constexpr int gradientStops = 7;
constexpr double fullWidth = std::numeric_limits<double>::infinity();

Node sectionHeader(std::string title) {
    return text(std::move(title))
        .font(Font::system(10, Font::Weight::bold))
        .foregroundStyle(Color::secondary())
        .padding(Edges::bottom, 2);
}

} // namespace

Color VantrelExtensionMainView::levelColor(int level) {
    const int clamped = std::clamp(level, 1, maxLevel);
    return Color::hsb(0.75 * (1 - static_cast<double>(clamped) / maxLevel), 0.85, 0.9, 1.0);
}

std::string VantrelExtensionMainView::ccName(int cc) {
    switch (cc) {
    case 1:
        return "Mod";
    case 2:
        return "Breath";
    case 7:
        return "Vol";
    case 10:
        return "Pan";
    case 11:
        return "Expr";
    case 64:
        return "Sust";
    case 74:
        return "Bright";
    default:
        return "CC" + std::to_string(cc);
    }
}

LinearGradient VantrelExtensionMainView::ccBarGradient(int value) {
    LinearGradient gradient{.startPoint = UnitPoint::leading, .endPoint = UnitPoint::trailing};
    for (int stop = 0; stop < gradientStops; ++stop) {
        const double level = std::trunc(static_cast<double>(stop) / (gradientStops - 1) * value);
        gradient.stops.push_back(levelColor(static_cast<int>(level)));
    }
    return gradient;
}

Node VantrelExtensionMainView::ccMeterRow(int cc, int value) {
    const auto barShape = [] { return roundedRectangle(3, RoundedCornerStyle::continuous); };
    // A value the host sent above 127 fills the track and no more.
    const double fraction = std::clamp(static_cast<double>(value) / maxLevel, 0.0, 1.0);
    Node bar = zStack(Alignment::leading,
                      {
                          barShape().fill(Color::white().opacity(0.08)).frame({.maxWidth = fullWidth}),
                          barShape().fill(ccBarGradient(value)).relativeWidth(fraction, 1),
                      })
                   .frame({.height = 12, .maxWidth = fullWidth});
    return hStack(Alignment::center, 6,
                  {
                      text(ccName(cc))
                          .font(Font::system(10, Font::Weight::medium))
                          .foregroundStyle(Color::secondary())
                          .frame({.width = 40, .alignment = Alignment::trailing}),
                      std::move(bar),
                      text(std::to_string(value))
                          .font(Font::system(9, Font::Weight::regular, Font::Design::monospaced))
                          .foregroundStyle(Color::white())
                          .frame({.width = 24, .alignment = Alignment::trailing}),
                  })
        .frame({.height = 16});
}

Node VantrelExtensionMainView::ccSection() const {
    std::vector<Node> items{sectionHeader("CC")};
    if (state_.ccValues.empty()) {
        items.push_back(text("Waiting for CC data...")
                            .font(Font::system(10))
                            .foregroundStyle(Color::tertiary())
                            .padding(Edges::vertical, 8));
    }
    for (const auto& [cc, value] : state_.ccValues) {
        if (cc >= firstChannelModeController) break; // the map is sorted
        items.push_back(ccMeterRow(cc, value).id(cc));
    }
    return vStack(Alignment::leading, 2, std::move(items));
}

Node VantrelExtensionMainView::articulationSection() const {
    const GridItem column{
        .minimum = 10, .maximum = std::nullopt, .spacing = 4, .alignment = Alignment::center};
    std::vector<Node> cells;
    const auto& names = state_.articulationNames;
    const auto& notes = state_.articulationNotes;
    for (std::size_t index = 0; index < names.size(); ++index) {
        const std::int64_t note = index < notes.size() ? notes[index] : static_cast<std::int64_t>(index);
        cells.push_back(articulationCell(note, names[index]).id(static_cast<std::int64_t>(index)));
    }
    return vStack(Alignment::leading, 2,
                  {
                      sectionHeader("Articulations"),
                      lazyVGrid({column, column}, 3, std::move(cells)),
                  });
}

Node VantrelExtensionMainView::articulationCell(std::int64_t note, const std::string& name) const {
    // -1 means no articulation played yet, whatever notes the receiver sent.
    const bool active = state_.activeArticulation >= 0 && state_.activeArticulation == note;
    const Color dot = active ? levelColor(state_.lastNoteVelocity) : Color::white().opacity(0.15);
    Font nameFont = Font::system(10);
    if (active) nameFont = nameFont.bold();
    return hStack(Alignment::center, 4,
                  {
                      circle().fill(dot).frame({.width = 6, .height = 6}),
                      text(name)
                          .font(nameFont)
                          .foregroundStyle(active ? Color::white() : Color::secondary())
                          .lineLimit(1)
                          .truncationMode(TruncationMode::tail),
                      spacer(),
                  })
        .padding(Edges::horizontal, 6)
        .padding(Edges::vertical, 4)
        .background(roundedRectangle(4, RoundedCornerStyle::continuous)
                        .fill(active ? dot.opacity(0.25) : Color::white().opacity(0.04)));
}

} // namespace vantrel::monitor
