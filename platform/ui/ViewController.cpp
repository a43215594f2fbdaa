#include "platform/ui/ViewController.h"

#include <algorithm>
#include <stdexcept>

namespace platform::ui {

ViewController::~ViewController() {
    if (view_) view_->controller_ = nullptr;
    for (const auto& child : children_)
        child->parent_ = nullptr;
}

const std::shared_ptr<PlatformView>& ViewController::view() {
    if (!view_) {
        view_ = PlatformView::make();
        view_->controller_ = this;
        viewDidLoad();
    }
    return view_;
}

void ViewController::addChildViewController(const std::shared_ptr<ViewController>& child) {
    if (!child) throw std::invalid_argument("addChildViewController: no controller given");
    for (const ViewController* ancestor = this; ancestor != nullptr; ancestor = ancestor->parent_) {
        if (ancestor == child.get()) {
            throw std::invalid_argument("addChildViewController: a controller cannot be its own descendant");
        }
    }
    const std::shared_ptr<ViewController> added = child; // `child` may refer into a child list
    added->removeFromParentViewController();
    children_.push_back(added);
    added->parent_ = this;
}

void ViewController::removeFromParentViewController() {
    if (parent_ == nullptr) return;
    auto& siblings = parent_->children_;
    const auto found =
        std::ranges::find_if(siblings, [&](const auto& sibling) { return sibling.get() == this; });
    // Keeps this controller alive until the function returns, when it may be released for good.
    const std::shared_ptr<ViewController> self = std::move(*found);
    siblings.erase(found);
    parent_ = nullptr;
}

} // namespace platform::ui
