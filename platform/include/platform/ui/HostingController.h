#pragma once
// The view controller that shows a declarative root view: the root view appears and disappears
// with the controller's view.

#include <memory>

#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"

namespace platform::ui {

class HostingController : public ViewController {
public:
    explicit HostingController(std::shared_ptr<View> rootView); // root view must not be null
    // A root view still shown is told that it disappears.
    ~HostingController() override;

    View& rootView() const { return *rootView_; }
    Node body() const { return rootView_->body(); } // [main] The root view's tree as it stands now.
    bool isShowing() const { return showing_; }

protected:
    void viewDidAppear() override;
    void viewDidDisappear() override;

private:
    std::shared_ptr<View> rootView_;
    bool showing_ = false;
};

} // namespace platform::ui
