#include "platform/ui/x11/X11Window.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo-xlib.h>
#include <cairo.h>

#include "OwnErrors.h"

namespace platform::ui::x11 {

namespace {

constexpr long eventMask =
    ExposureMask | StructureNotifyMask | ButtonPressMask | ButtonReleaseMask | Button1MotionMask;

// A top-level window keeps the size its content is laid out for.
void fixSize(Display* display, ::Window window, render::Size size) {
    XSizeHints* hints = XAllocSizeHints();
    if (hints == nullptr) return;
    hints->flags = PMinSize | PMaxSize;
    hints->min_width = hints->max_width = static_cast<int>(size.width);
    hints->min_height = hints->max_height = static_cast<int>(size.height);
    XSetWMNormalHints(display, window, hints);
    XFree(hints);
}

render::Point pointOf(int x, int y) {
    return {static_cast<double>(x), static_cast<double>(y)};
}

} // namespace

X11Window::X11Window(const render::Renderer& renderer, const Options& options, std::function<Node()> content)
    : renderer_(renderer), appearance_(options.appearance), content_(std::move(content)),
      size_(options.size) {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) throw std::runtime_error("cannot open the X display (is DISPLAY set?)");
    adopt(display_);
    const int screen = DefaultScreen(display_);
    const ::Window parent = options.parent.value_or(RootWindow(display_, screen));
    const auto width = static_cast<unsigned>(std::max(1.0, size_.width));
    const auto height = static_cast<unsigned>(std::max(1.0, size_.height));
    window_ = XCreateSimpleWindow(display_, parent, 0, 0, width, height, 0, 0, WhitePixel(display_, screen));
    XSelectInput(display_, window_, eventMask);
    XStoreName(display_, window_, options.title.c_str());
    if (!options.parent) {
        fixSize(display_, window_, size_);
        deleteAtom_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
        Atom protocols[] = {static_cast<Atom>(deleteAtom_)};
        XSetWMProtocols(display_, window_, protocols, 1);
    }
    surface_ = cairo_xlib_surface_create(display_, window_, DefaultVisual(display_, screen),
                                         static_cast<int>(width), static_cast<int>(height));
    XMapWindow(display_, window_);
    if (hadError(display_)) {
        close();
        throw std::runtime_error("the X server refused the window (no such parent window?)");
    }
}

X11Window::~X11Window() {
    close();
}

void X11Window::close() {
    cairo_surface_destroy(surface_);
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
    forget(display_);
}

int X11Window::connectionFd() const {
    return ConnectionNumber(display_);
}

void X11Window::redraw() {
    // The old layout points into the old tree: both are replaced together.
    layout_ = {};
    tree_ = content_();
    layout_ = renderer_.layout(*tree_, size_);
    // Drawn in memory first, as for a PNG, so that the window shows the same pixels as a
    // snapshot and never half a picture.
    cairo_surface_t* picture = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(size_.width),
                                                          static_cast<int>(size_.height));
    cairo_t* cairo = cairo_create(picture);
    renderer_.draw(layout_, cairo, appearance_);
    cairo_destroy(cairo);
    cairo = cairo_create(surface_);
    cairo_set_source_surface(cairo, picture, 0, 0);
    cairo_set_operator(cairo, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cairo);
    cairo_destroy(cairo);
    cairo_surface_destroy(picture);
    cairo_surface_flush(surface_);
    XFlush(display_);
}

void X11Window::handleEvents() {
    bool exposed = false;
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        switch (event.type) {
        case Expose:
            exposed = exposed || event.xexpose.count == 0;
            break;
        case ConfigureNotify:
            if (event.xconfigure.width != static_cast<int>(size_.width) ||
                event.xconfigure.height != static_cast<int>(size_.height)) {
                size_ = {static_cast<double>(event.xconfigure.width),
                         static_cast<double>(event.xconfigure.height)};
                cairo_xlib_surface_set_size(surface_, event.xconfigure.width, event.xconfigure.height);
                exposed = true;
            }
            break;
        case ButtonPress:
            if (event.xbutton.button == Button1) press(pointOf(event.xbutton.x, event.xbutton.y));
            break;
        case MotionNotify:
            drag(pointOf(event.xmotion.x, event.xmotion.y));
            break;
        case ButtonRelease:
            if (event.xbutton.button == Button1) release(pointOf(event.xbutton.x, event.xbutton.y));
            break;
        case ClientMessage:
            if (deleteAtom_ != 0 && static_cast<unsigned long>(event.xclient.data.l[0]) == deleteAtom_)
                closed_ = true;
            break;
        default:
            break;
        }
    }
    if (exposed && !closed_) redraw();
}

void X11Window::press(render::Point point) {
    gesture_.reset();
    if (!tree_) return;
    const auto control = render::Renderer::controlAt(layout_, point);
    if (!control) return;
    gesture_ = Gesture{point, control->frame, control->node->action, control->node->slider};
    if (gesture_->slider) {
        if (gesture_->slider->onEditingChanged) gesture_->slider->onEditingChanged(true);
        drag(point);
    }
}

void X11Window::drag(render::Point point) {
    if (!gesture_ || !gesture_->slider || !tree_) return;
    // The slider where the press began, in the tree as drawn now.
    const auto control = render::Renderer::controlAt(layout_, gesture_->start);
    if (!control || control->node->slider == nullptr) return;
    gesture_->slider->value.set(render::Renderer::sliderValueAt(*control, point.x));
    redraw();
}

void X11Window::release(render::Point point) {
    if (!gesture_) return;
    const Gesture gesture = std::move(*gesture_);
    gesture_.reset();
    if (gesture.slider) {
        if (gesture.slider->onEditingChanged) gesture.slider->onEditingChanged(false);
    } else if (gesture.action && gesture.frame.contains(point)) {
        // As on every platform: a press counts when the button comes up still on the control.
        gesture.action();
    }
    redraw();
}

void X11Window::run(std::chrono::milliseconds interval, const std::function<void()>& tick,
                    const std::function<bool()>& keepRunning) {
    using Clock = std::chrono::steady_clock;
    auto nextTick = Clock::now() + interval;
    handleEvents();
    while (!closed_ && keepRunning()) {
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(nextTick - Clock::now());
        pollfd connection{connectionFd(), POLLIN, 0};
        // Xlib may already hold events it read while flushing: those need no wait.
        if (XPending(display_) == 0 && wait.count() > 0) {
            if (poll(&connection, 1, static_cast<int>(wait.count()) + 1) < 0 && errno != EINTR)
                throw std::runtime_error("cannot wait on the X connection");
        }
        handleEvents();
        if (Clock::now() >= nextTick) {
            if (tick) tick();
            nextTick = Clock::now() + interval;
        }
    }
}

} // namespace platform::ui::x11
