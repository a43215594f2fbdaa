#include "platform/ui/HostingController.h"

#include <stdexcept>

namespace platform::ui {

HostingController::HostingController(std::shared_ptr<View> rootView) : rootView_(std::move(rootView)) {
    if (!rootView_) throw std::invalid_argument("HostingController: no root view given");
}

HostingController::~HostingController() {
    viewDidDisappear();
}

void HostingController::viewDidAppear() {
    if (showing_) return;
    showing_ = true;
    rootView_->onAppear();
}

void HostingController::viewDidDisappear() {
    if (!showing_) return;
    showing_ = false;
    rootView_->onDisappear();
}

} // namespace platform::ui
