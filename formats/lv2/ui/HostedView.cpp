#include "formats/lv2/ui/HostedView.h"

namespace vantrel::lv2 {

HostedView::HostedView(PluginAdapter& plugin) : instance_(plugin.hostedInstance()) {
    instance_.openWindow();
}

HostedView::~HostedView() {
    instance_.closeWindow();
}

std::optional<platform::ui::Node> HostedView::body() const {
    const auto hosting = instance_.hostingController();
    if (!hosting) return std::nullopt;
    return hosting->body();
}

} // namespace vantrel::lv2
