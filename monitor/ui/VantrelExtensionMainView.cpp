#include "monitor/ui/VantrelExtensionMainView.h"

#include <utility>

namespace vantrel::monitor {

VantrelExtensionMainView::VantrelExtensionMainView(std::shared_ptr<ObservableAUParameterGroup> parameterTree,
                                                   std::weak_ptr<VantrelExtensionAudioUnit> audioUnit)
    : parameterTree_(std::move(parameterTree)), audioUnit_(std::move(audioUnit)) {}

platform::ui::Node VantrelExtensionMainView::body() {
    return platform::ui::vStack(platform::ui::Alignment::center, std::nullopt, {});
}

} // namespace vantrel::monitor
