#pragma once
// The controller monitor's editor panel, shown in the plug-in window by the view controller.
// For now a placeholder that keeps its construction arguments and shows nothing.

#include <memory>

#include "platform/ui/View.h"

namespace vantrel {
class ObservableAUParameterGroup;
}

namespace vantrel::monitor {

class VantrelExtensionAudioUnit;

class VantrelExtensionMainView : public platform::ui::View {
public:
    // Owns the wrapper tree; holds the instance weakly, as it may go away first. [main]
    VantrelExtensionMainView(std::shared_ptr<ObservableAUParameterGroup> parameterTree,
                             std::weak_ptr<VantrelExtensionAudioUnit> audioUnit);

    platform::ui::Node body() override; // [main]

    const std::shared_ptr<ObservableAUParameterGroup>& parameterTree() const { return parameterTree_; }

private:
    std::shared_ptr<ObservableAUParameterGroup> parameterTree_;
    std::weak_ptr<VantrelExtensionAudioUnit> audioUnit_;
};

} // namespace vantrel::monitor
