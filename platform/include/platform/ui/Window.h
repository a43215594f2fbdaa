#pragma once
// The window a host opens for a view controller. Opening it puts the controller's view and
// every view in it on screen (their controllers appear); closing it takes them off.

#include <memory>

#include "platform/ui/ViewController.h"

namespace platform::ui {

class Window {
public:
    explicit Window(std::shared_ptr<ViewController> contentViewController);
    ~Window(); // closes the window
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    void open();  // [main] Loads the content view if need be. Opening an open window does nothing.
    void close(); // [main] Closing a closed window does nothing.
    bool isOpen() const { return open_; }
    const std::shared_ptr<ViewController>& contentViewController() const { return content_; }

private:
    std::shared_ptr<ViewController> content_;
    bool open_ = false;
};

} // namespace platform::ui
