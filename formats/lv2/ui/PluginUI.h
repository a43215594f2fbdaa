#pragma once
// A plug-in's LV2 user interface (ui:X11UI): the plug-in's main view drawn into a window inside
// the host's parent window, with the mouse working its buttons. The host's idle calls handle the
// window's events and draw the view anew ten times a second, as often as the view polls its
// instance. The view lives on the platform's main queue, so the window is used there only.

#include <chrono>
#include <memory>

#include <lv2/ui/ui.h>

#include "formats/lv2/HostFeatures.h"
#include "formats/lv2/ui/HostedView.h"
#include "platform/ui/x11/X11Window.h"

namespace vantrel::lv2 {

class PluginUI {
public:
    static constexpr std::chrono::milliseconds drawInterval{100};

    // Null when the host offers no parent window or no access to the plug-in instance, the
    // plug-in hosts no view, or no window can be opened; the reason goes to the host's log.
    // Sets `widget` to the window. [host]
    static std::unique_ptr<PluginUI> instantiate(const char* pluginUri, const LV2_Feature* const* features,
                                                 LV2UI_Widget* widget);
    ~PluginUI(); // [host]
    PluginUI(const PluginUI&) = delete;
    PluginUI& operator=(const PluginUI&) = delete;

    // [host] The idle call: always 0, as an embedded interface is closed by its host only.
    int idle();

private:
    explicit PluginUI(PluginAdapter& plugin) : view_(plugin) {}
    void open(const char* title, unsigned long parent); // [main]

    HostedView view_;
    std::unique_ptr<platform::ui::render::Renderer> renderer_;
    std::unique_ptr<platform::ui::x11::X11Window> window_;
    std::chrono::steady_clock::time_point nextDraw_;
};

} // namespace vantrel::lv2
