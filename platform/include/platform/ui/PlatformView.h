#pragma once
// A view of the view hierarchy (the stand-in of the platform's NSView): a frame, subviews, a
// superview, layout anchors and the constraints it holds. A view is in an open window when its
// topmost superview is a window's content view; views that enter or leave a window make their
// controllers appear or disappear. Frames use a top-left origin.
//
// Views are always held by std::shared_ptr (make()); a superview holds its subviews.

#include <memory>
#include <vector>

#include "platform/ui/LayoutConstraint.h"

namespace platform::ui {

class ViewController;

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    bool operator==(const Rect&) const = default;
};

class PlatformView : public std::enable_shared_from_this<PlatformView> {
public:
    static std::shared_ptr<PlatformView> make(Rect frame = {}); // [main]
    PlatformView(const PlatformView&) = delete;
    PlatformView& operator=(const PlatformView&) = delete;

    Rect frame() const { return frame_; }
    void setFrame(Rect frame) { frame_ = frame; } // [main]
    Rect bounds() const { return {0, 0, frame_.width, frame_.height}; }

    std::shared_ptr<PlatformView> superview() const { return superview_.lock(); }
    const std::vector<std::shared_ptr<PlatformView>>& subviews() const { return subviews_; }
    // [main] Adds `view` in front of the other subviews, taking it from its former superview.
    // Throws std::invalid_argument for a null view, this view or one of its superviews.
    void addSubview(const std::shared_ptr<PlatformView>& view);
    // [main] Takes this view out of its superview and deactivates the constraints that tie it
    // (or a subview of it) to views outside it. Does nothing without a superview.
    void removeFromSuperview();
    bool isDescendantOf(const PlatformView& ancestor) const; // true for the view itself

    bool translatesAutoresizingMaskIntoConstraints() const { return translatesAutoresizingMask_; }
    void setTranslatesAutoresizingMaskIntoConstraints(bool translates) {
        translatesAutoresizingMask_ = translates;
    }
    LayoutYAxisAnchor topAnchor() { return {weak_from_this(), AnchorEdge::top}; }
    LayoutXAxisAnchor leadingAnchor() { return {weak_from_this(), AnchorEdge::leading}; }
    LayoutXAxisAnchor trailingAnchor() { return {weak_from_this(), AnchorEdge::trailing}; }
    LayoutYAxisAnchor bottomAnchor() { return {weak_from_this(), AnchorEdge::bottom}; }
    // The active constraints this view holds (those whose first anchor is one of its own).
    const std::vector<std::shared_ptr<LayoutConstraint>>& constraints() const { return constraints_; }
    // Whether active constraints tie all four edges of this view to the same edges of its
    // superview, with the autoresizing-mask translation turned off: it always fills it.
    bool fillsSuperview() const;

    bool isInWindow() const { return inWindow_; }

private:
    friend class LayoutConstraint;
    friend class ViewController;
    friend class Window;

    explicit PlatformView(Rect frame) : frame_(frame) {}
    void hold(const std::shared_ptr<LayoutConstraint>& constraint);
    void release(const LayoutConstraint& constraint);
    void releaseConstraintsCrossing(const PlatformView& boundary);
    bool hasActiveConstraint(AnchorEdge edge, const PlatformView& other) const;
    // Enters or leaves a window with all subviews; controllers of views that change appear or
    // disappear, outer ones first.
    void moveToWindow(bool inWindow);

    Rect frame_;
    std::weak_ptr<PlatformView> superview_;
    std::vector<std::shared_ptr<PlatformView>> subviews_;
    std::vector<std::shared_ptr<LayoutConstraint>> constraints_;
    bool translatesAutoresizingMask_ = true;
    bool inWindow_ = false;
    ViewController* controller_ = nullptr; // the controller whose view this is; it outlives none
};

} // namespace platform::ui
