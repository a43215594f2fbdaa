#include "platform/ui/Window.h"

#include <stdexcept>

namespace platform::ui {

Window::Window(std::shared_ptr<ViewController> contentViewController)
    : content_(std::move(contentViewController)) {
    if (!content_) throw std::invalid_argument("Window: no content view controller given");
}

Window::~Window() {
    close();
}

void Window::open() {
    if (open_) return;
    open_ = true;
    content_->view()->moveToWindow(true);
}

void Window::close() {
    if (!open_) return;
    open_ = false;
    content_->view()->moveToWindow(false);
}

} // namespace platform::ui
