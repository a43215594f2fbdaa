#include "meter/ui/TolvaneAudioMeterExtensionMainView.h"

#include <utility>

namespace vantrel::meter {

TolvaneAudioMeterExtensionMainView::TolvaneAudioMeterExtensionMainView(
    std::shared_ptr<ObservableAUParameterGroup> parameterTree)
    : parameterTree_(std::move(parameterTree)) {}

platform::ui::Node TolvaneAudioMeterExtensionMainView::body() {
    return platform::ui::vStack(platform::ui::Alignment::center, std::nullopt, {});
}

} // namespace vantrel::meter
