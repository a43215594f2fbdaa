#pragma once
// The audio meter's main view, for a meter whose audio unit publishes a parameter tree.
// For now a placeholder that keeps the wrapper tree and shows nothing.

#include <memory>

#include "platform/ui/View.h"

namespace vantrel {
class ObservableAUParameterGroup;
}

namespace vantrel::meter {

class TolvaneAudioMeterExtensionMainView : public platform::ui::View {
public:
    // Owns the wrapper tree. [main]
    explicit TolvaneAudioMeterExtensionMainView(std::shared_ptr<ObservableAUParameterGroup> parameterTree);

    platform::ui::Node body() override; // [main]

    const std::shared_ptr<ObservableAUParameterGroup>& parameterTree() const { return parameterTree_; }

private:
    std::shared_ptr<ObservableAUParameterGroup> parameterTree_;
};

} // namespace vantrel::meter
