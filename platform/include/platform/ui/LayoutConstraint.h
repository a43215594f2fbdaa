#pragma once
// Layout anchors and equality constraints between them, as a view controller pins a hosted view
// to its own view's edges. Only the edges and whether a constraint is active are modelled.

#include <memory>

namespace platform::ui {

class PlatformView;
class LayoutConstraint;

enum class AnchorEdge { top, leading, trailing, bottom };

class LayoutAnchor {
public:
    std::shared_ptr<PlatformView> view() const { return view_.lock(); }
    AnchorEdge edge() const { return edge_; }

protected:
    LayoutAnchor(std::weak_ptr<PlatformView> view, AnchorEdge edge) : view_(std::move(view)), edge_(edge) {}
    std::shared_ptr<LayoutConstraint> constraintTo(const LayoutAnchor& other) const;

private:
    std::weak_ptr<PlatformView> view_;
    AnchorEdge edge_;
};

// Horizontal and vertical anchors are distinct types, so top can never be tied to leading.
class LayoutXAxisAnchor : public LayoutAnchor {
public:
    LayoutXAxisAnchor(std::weak_ptr<PlatformView> view, AnchorEdge edge)
        : LayoutAnchor(std::move(view), edge) {}
    // [main] A new, inactive constraint: this anchor equal to `other`.
    std::shared_ptr<LayoutConstraint> constraintEqualToAnchor(const LayoutXAxisAnchor& other) const {
        return constraintTo(other);
    }
};

class LayoutYAxisAnchor : public LayoutAnchor {
public:
    LayoutYAxisAnchor(std::weak_ptr<PlatformView> view, AnchorEdge edge)
        : LayoutAnchor(std::move(view), edge) {}
    // [main] A new, inactive constraint: this anchor equal to `other`.
    std::shared_ptr<LayoutConstraint> constraintEqualToAnchor(const LayoutYAxisAnchor& other) const {
        return constraintTo(other);
    }
};

// An active constraint is held by its first anchor's view; it holds its views weakly. Removing
// a view from its superview deactivates the constraints that tie it to views outside it.
class LayoutConstraint : public std::enable_shared_from_this<LayoutConstraint> {
public:
    LayoutConstraint(LayoutAnchor first, LayoutAnchor second)
        : first_(std::move(first)), second_(std::move(second)) {}

    // [main] Throws std::logic_error on activation when the two views are not in one hierarchy
    // (or one is gone), as a constraint between them would mean nothing.
    void setActive(bool active);
    bool isActive() const { return active_; }
    const LayoutAnchor& firstAnchor() const { return first_; }
    const LayoutAnchor& secondAnchor() const { return second_; }

private:
    LayoutAnchor first_;
    LayoutAnchor second_;
    bool active_ = false;
};

} // namespace platform::ui
