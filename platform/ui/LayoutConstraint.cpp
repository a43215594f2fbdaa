#include "platform/ui/LayoutConstraint.h"

#include <stdexcept>

#include "platform/ui/PlatformView.h"

namespace platform::ui {

namespace {

bool shareAHierarchy(const PlatformView& first, const PlatformView& second) {
    for (auto ancestor = first.shared_from_this(); ancestor; ancestor = ancestor->superview()) {
        if (second.isDescendantOf(*ancestor)) return true;
    }
    return false;
}

} // namespace

std::shared_ptr<LayoutConstraint> LayoutAnchor::constraintTo(const LayoutAnchor& other) const {
    return std::make_shared<LayoutConstraint>(*this, other);
}

void LayoutConstraint::setActive(bool active) {
    if (active == active_) return;
    const auto self = shared_from_this(); // the holder may hold the last reference
    const auto holder = first_.view();
    if (!active) {
        if (holder) holder->release(*this);
        active_ = false;
        return;
    }
    const auto other = second_.view();
    if (!holder || !other || !shareAHierarchy(*holder, *other)) {
        throw std::logic_error(
            "LayoutConstraint: cannot activate a constraint between views with no common ancestor");
    }
    holder->hold(self);
    active_ = true;
}

} // namespace platform::ui
