#pragma once
// A view controller (the stand-in of the platform's NSViewController / AUViewController): it
// owns a view that it loads lazily, and child controllers.
//
// Lifecycle: the first call of view() makes the view and runs viewDidLoad() once; each time the
// view enters an open window viewDidAppear() runs, each time it leaves one viewDidDisappear().
// Controllers are always held by std::shared_ptr; a parent holds its children.

#include <memory>
#include <vector>

#include "platform/ui/PlatformView.h"

namespace platform::ui {

class ViewController : public std::enable_shared_from_this<ViewController> {
public:
    ViewController() = default;
    virtual ~ViewController();
    ViewController(const ViewController&) = delete;
    ViewController& operator=(const ViewController&) = delete;

    // [main] The controller's view, made on first access, which then runs viewDidLoad(). Inside
    // viewDidLoad() the view is already there.
    const std::shared_ptr<PlatformView>& view();
    bool isViewLoaded() const { return view_ != nullptr; }

    // [main] Appends `child` to the children, taking it from a former parent.
    void addChildViewController(const std::shared_ptr<ViewController>& child);
    // [main] Leaves the parent's children; does nothing without a parent. The view stays where
    // it is.
    void removeFromParentViewController();
    const std::vector<std::shared_ptr<ViewController>>& childViewControllers() const { return children_; }
    ViewController* parentViewController() const { return parent_; }

protected:
    virtual void viewDidLoad() {}      // [main]
    virtual void viewDidAppear() {}    // [main]
    virtual void viewDidDisappear() {} // [main]

private:
    friend class PlatformView;

    std::shared_ptr<PlatformView> view_;
    std::vector<std::shared_ptr<ViewController>> children_;
    ViewController* parent_ = nullptr;
};

// The audio-unit view controller adds nothing to a view controller that the plug-ins use.
using AUViewController = ViewController;

} // namespace platform::ui
