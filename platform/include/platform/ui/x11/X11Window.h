#pragma once
// A window on the X server that shows a node tree with the renderer: drawn anew when exposed or
// asked, its buttons pressed and its sliders dragged with the mouse, closed by the window
// manager's close button. A window is top-level, or embedded in a window of another program (an
// LV2 host's parent window).
//
// Each window has a connection to the server of its own, so that it can live on whichever thread
// its content belongs to; everything below runs on that one thread, and the content's tree,
// actions and bindings are used there too.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/Node.h"
#include "platform/ui/render/Renderer.h"

typedef struct _XDisplay Display;
typedef struct _cairo_surface cairo_surface_t;

namespace platform::ui::x11 {

class X11Window {
public:
    struct Options {
        std::string title;
        render::Size size;
        // An X window to embed in; none: a top-level window of a fixed size.
        std::optional<unsigned long> parent{};
        render::Appearance appearance = render::Appearance::light;
    };

    // `content` builds the tree as it stands now; it runs for each drawing. Throws
    // std::runtime_error when there is no X server to connect to (DISPLAY unset or unreachable).
    X11Window(const render::Renderer& renderer, const Options& options, std::function<Node()> content);
    ~X11Window();
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    unsigned long id() const { return window_; }
    render::Size size() const { return size_; }
    // The connection's file descriptor: readable when events are waiting.
    int connectionFd() const;
    // Whether the user closed the window (top-level windows only).
    bool closed() const { return closed_; }

    // Handles the events waiting, without waiting for more: draws when exposed, presses buttons
    // and moves sliders.
    void handleEvents();
    // Builds the content anew and draws it.
    void redraw();

    // Handles events as they come and calls `tick` every `interval`, until the window is closed
    // or `keepRunning` says no. Sleeps on the connection between events and ticks.
    void run(std::chrono::milliseconds interval, const std::function<void()>& tick,
             const std::function<bool()>& keepRunning);

private:
    void close(); // lets the surface, the window and the connection go
    void press(render::Point point);
    void drag(render::Point point);
    void release(render::Point point);

    const render::Renderer& renderer_;
    render::Appearance appearance_;
    std::function<Node()> content_;
    Display* display_ = nullptr;
    unsigned long window_ = 0;
    unsigned long deleteAtom_ = 0;
    cairo_surface_t* surface_ = nullptr;
    render::Size size_;
    bool closed_ = false;

    // What is drawn: the layout points into the tree.
    std::optional<Node> tree_;
    render::LaidOutTree layout_;

    // The control the button went down on. The tree may be built anew before the button comes
    // up: a button's action is kept, a slider is found again where the press began.
    struct Gesture {
        render::Point start;
        render::Rect frame;
        std::function<void()> action;
        std::shared_ptr<const SliderSetup> slider;
    };
    std::optional<Gesture> gesture_;
};

} // namespace platform::ui::x11
