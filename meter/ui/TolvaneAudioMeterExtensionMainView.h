#pragma once
// The audio meter's main view, for a meter whose audio unit publishes a parameter tree: a slider
// for the parameter "gain" of the group "global".

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

    // [main] A tree without "global" / "gain" is a programming error and stops the process, as the
    // wrappers' lookups do.
    platform::ui::Node body() override;

    const std::shared_ptr<ObservableAUParameterGroup>& parameterTree() const { return parameterTree_; }

private:
    std::shared_ptr<ObservableAUParameterGroup> parameterTree_;
};

} // namespace vantrel::meter
