#pragma once
// A slider for one parameter with its range at both ends, and below it the parameter's name and
// value. Drags reach the parameter as a gesture (touch, values, release).

#include <memory>
#include <string>

#include "platform/ui/View.h"

namespace vantrel {
class ObservableAUParameter;
}

namespace vantrel::meter {

class ParameterSlider : public platform::ui::View {
public:
    // Holds `param` for as long as the slider lives, so that every redraw shows the same
    // parameter. [main]
    explicit ParameterSlider(std::shared_ptr<ObservableAUParameter> param);

    // [main] Throws std::invalid_argument when the parameter's minimum exceeds its maximum, as no
    // slider can span that range.
    platform::ui::Node body() override;

    // A number as the slider shows it: whole for MIDI note numbers, two decimals otherwise. [main]
    std::string formatted(double number) const;

private:
    std::shared_ptr<ObservableAUParameter> param_;
};

} // namespace vantrel::meter
