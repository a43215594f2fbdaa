#include "meter/ui/ParameterSlider.h"

#include <cstdio>
#include <utility>

#include "frame/common/ui/ObservableAUParameter.h"

namespace vantrel::meter {

using namespace platform::ui;

ParameterSlider::ParameterSlider(std::shared_ptr<ObservableAUParameter> param) : param_(std::move(param)) {}

std::string ParameterSlider::formatted(double number) const {
    const char* format = param_->unit() == platform::kAudioUnitParameterUnit_MIDINoteNumber ? "%.0f" : "%.2f";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, number);
    return buffer;
}

Node ParameterSlider::body() {
    const auto& param = param_;
    SliderSetup setup{
        .value = {.get = [param] { return static_cast<double>(param->value()); },
                  .set = [param](double value) { param->setValue(static_cast<platform::AUValue>(value)); }},
        .minimum = param->min(),
        .maximum = param->max(),
        .onEditingChanged = [param](bool editing) { param->onEditingChanged(editing); },
        .minimumValueLabel = formatted(param->min()),
        .maximumValueLabel = formatted(param->max()),
    };
    return vStack(Alignment::center, std::nullopt,
                  {
                      slider(std::move(setup)).accessibilityIdentifier(param->displayName()),
                      text(param->displayName() + ": " + formatted(param->value())),
                  })
        .padding();
}

} // namespace vantrel::meter
