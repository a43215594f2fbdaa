#include "meter/ui/TolvaneAudioMeterExtensionMainView.h"

#include <utility>

#include "frame/common/ui/ObservableAUParameter.h"
#include "meter/ui/ParameterSlider.h"

namespace vantrel::meter {

TolvaneAudioMeterExtensionMainView::TolvaneAudioMeterExtensionMainView(
    std::shared_ptr<ObservableAUParameterGroup> parameterTree)
    : parameterTree_(std::move(parameterTree)) {}

platform::ui::Node TolvaneAudioMeterExtensionMainView::body() {
    return ParameterSlider(parameterTree_->member("global")->member<ObservableAUParameter>("gain")).body();
}

} // namespace vantrel::meter
