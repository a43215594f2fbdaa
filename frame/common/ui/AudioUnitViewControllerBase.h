#pragma once
// What both plug-ins' view controllers share: the audio unit the controller created, and the
// plug-in's main view, hosted for that unit with a fresh wrapper tree of its parameters and
// filling the controller's view. A plug-in adds the creation of its unit and its main view.

#include <memory>

#include "frame/common/ui/ObservableAUParameter.h"
#include "platform/audiounit/AUAudioUnit.h"
#include "platform/audiounit/AUAudioUnitFactory.h"
#include "platform/ui/HostingController.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"

namespace vantrel {

class AudioUnitViewControllerBase : public platform::ui::AUViewController,
                                    public platform::AUAudioUnitFactory {
public:
    // [main] The audio unit this controller created; kept for the controller's lifetime.
    const std::shared_ptr<platform::AUAudioUnit>& audioUnit() const { return audioUnit_; }
    // [main] The controller showing the main view now; empty while none is hosted.
    const std::shared_ptr<platform::ui::HostingController>& hostingController() const {
        return hostingController_;
    }

protected:
    AudioUnitViewControllerBase() = default;

    void setAudioUnit(std::shared_ptr<platform::AUAudioUnit> audioUnit) { audioUnit_ = std::move(audioUnit); }

    // [main] Hosts the main view once the view loads, if the audio unit is there already.
    void viewDidLoad() override;

    // [main] Replaces the hosted main view by a new one for `audioUnit`; hosts none when the unit
    // has no parameter tree.
    void configureSwiftUIView(const std::shared_ptr<platform::AUAudioUnit>& audioUnit);

    // [main] The plug-in's main view, owning `parameterTree`, the wrappers of `audioUnit`'s
    // parameters.
    virtual std::shared_ptr<platform::ui::View>
    makeMainView(std::shared_ptr<ObservableAUParameterGroup> parameterTree,
                 const std::shared_ptr<platform::AUAudioUnit>& audioUnit) const = 0;

private:
    void removeHostedView();
    // Pins the hosted view's four edges to this controller's view.
    void fillView(platform::ui::PlatformView& hosted);

    std::shared_ptr<platform::AUAudioUnit> audioUnit_;
    std::shared_ptr<platform::ui::HostingController> hostingController_;
    bool configuring_ = false;
};

} // namespace vantrel
