#include "platform/ui/PlatformView.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "platform/ui/ViewController.h"

namespace platform::ui {

std::shared_ptr<PlatformView> PlatformView::make(Rect frame) {
    return std::shared_ptr<PlatformView>(new PlatformView(frame));
}

void PlatformView::addSubview(const std::shared_ptr<PlatformView>& view) {
    if (!view || isDescendantOf(*view)) {
        throw std::invalid_argument("addSubview: a view cannot contain nothing, itself or its own superview");
    }
    const std::shared_ptr<PlatformView> added = view; // `view` may refer into a subview list
    if (added->superview().get() == this) {
        std::erase(subviews_, added);
        subviews_.push_back(added);
        return;
    }
    added->removeFromSuperview();
    subviews_.push_back(added);
    added->superview_ = weak_from_this();
    added->moveToWindow(inWindow_);
}

void PlatformView::removeFromSuperview() {
    const auto parent = superview();
    if (!parent) return;
    const auto self = shared_from_this(); // the superview may hold the last reference
    auto root = parent;
    while (auto above = root->superview())
        root = std::move(above);

    std::erase(parent->subviews_, self);
    superview_.reset();
    releaseConstraintsCrossing(*this);
    root->releaseConstraintsCrossing(*this);
    moveToWindow(false);
}

bool PlatformView::isDescendantOf(const PlatformView& ancestor) const {
    for (const PlatformView* view = this; view != nullptr; view = view->superview_.lock().get()) {
        if (view == &ancestor) return true;
    }
    return false;
}

bool PlatformView::fillsSuperview() const {
    const auto parent = superview();
    if (!parent || translatesAutoresizingMask_) return false;
    constexpr std::array edges{AnchorEdge::top, AnchorEdge::leading, AnchorEdge::trailing,
                               AnchorEdge::bottom};
    return std::ranges::all_of(edges, [&](AnchorEdge edge) {
        return hasActiveConstraint(edge, *parent) || parent->hasActiveConstraint(edge, *this);
    });
}

void PlatformView::hold(const std::shared_ptr<LayoutConstraint>& constraint) {
    constraints_.push_back(constraint);
}

void PlatformView::release(const LayoutConstraint& constraint) {
    std::erase_if(constraints_, [&](const auto& held) { return held.get() == &constraint; });
}

void PlatformView::releaseConstraintsCrossing(const PlatformView& boundary) {
    const bool inside = isDescendantOf(boundary);
    for (const auto& constraint : std::vector(constraints_)) {
        const auto other = constraint->secondAnchor().view();
        if (other && other->isDescendantOf(boundary) != inside) constraint->setActive(false);
    }
    for (const auto& subview : subviews_)
        subview->releaseConstraintsCrossing(boundary);
}

bool PlatformView::hasActiveConstraint(AnchorEdge edge, const PlatformView& other) const {
    return std::ranges::any_of(constraints_, [&](const auto& constraint) {
        return constraint->firstAnchor().edge() == edge && constraint->secondAnchor().edge() == edge &&
               constraint->secondAnchor().view().get() == &other;
    });
}

void PlatformView::moveToWindow(bool inWindow) {
    if (inWindow_ == inWindow) return;
    inWindow_ = inWindow;
    const auto self = shared_from_this(); // a controller's callback may take this view away
    if (controller_ != nullptr) {
        if (inWindow)
            controller_->viewDidAppear();
        else
            controller_->viewDidDisappear();
    }
    // The callbacks may have changed the hierarchy; follow what is there now.
    for (const auto& subview : std::vector(subviews_)) {
        if (subview->superview_.lock() == self) subview->moveToWindow(inWindow_);
    }
}

} // namespace platform::ui
