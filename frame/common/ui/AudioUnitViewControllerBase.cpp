#include "frame/common/ui/AudioUnitViewControllerBase.h"

#include <utility>

namespace vantrel {

void AudioUnitViewControllerBase::viewDidLoad() {
    platform::ui::AUViewController::viewDidLoad();
    // A load that a configuration itself caused leaves the hosting to that configuration, so
    // that exactly one hosted view remains.
    if (audioUnit_ && !configuring_) configureSwiftUIView(audioUnit_);
}

void AudioUnitViewControllerBase::configureSwiftUIView(
    const std::shared_ptr<platform::AUAudioUnit>& audioUnit) {
    removeHostedView();
    const auto tree = audioUnit->parameterTree();
    if (!tree) return;

    auto hosting = std::make_shared<platform::ui::HostingController>(
        makeMainView(std::make_shared<ObservableAUParameterGroup>(*tree), audioUnit));
    addChildViewController(hosting);
    const bool outerConfiguring = std::exchange(configuring_, true);
    const auto ownView = view();
    configuring_ = outerConfiguring;
    const auto& hostedView = hosting->view();
    hostedView->setFrame(ownView->bounds());
    ownView->addSubview(hostedView);
    hostingController_ = hosting;
    fillView(*hostedView);
}

void AudioUnitViewControllerBase::removeHostedView() {
    // Dropping the controller lets the old main view, and the wrapper tree it owns, go.
    const auto old = std::exchange(hostingController_, nullptr);
    if (!old) return;
    old->removeFromParentViewController();
    old->view()->removeFromSuperview();
}

void AudioUnitViewControllerBase::fillView(platform::ui::PlatformView& hosted) {
    auto& own = *view();
    hosted.setTranslatesAutoresizingMaskIntoConstraints(false);
    hosted.topAnchor().constraintEqualToAnchor(own.topAnchor())->setActive(true);
    hosted.leadingAnchor().constraintEqualToAnchor(own.leadingAnchor())->setActive(true);
    hosted.trailingAnchor().constraintEqualToAnchor(own.trailingAnchor())->setActive(true);
    hosted.bottomAnchor().constraintEqualToAnchor(own.bottomAnchor())->setActive(true);
}

} // namespace vantrel
