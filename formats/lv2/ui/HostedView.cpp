#include "formats/lv2/ui/HostedView.h"

namespace vantrel::lv2 {

HostedView::HostedView(PluginAdapter& plugin) : instance_(plugin.hostedInstance()) {
    instance_.openWindow();
}

HostedView::~HostedView() {
    instance_.closeWindow();
}

std::optional<platform::ui::Node> HostedView::body() const {
    std::optional<platform::ui::Node> tree;
    instance_.withViewTree([&](const platform::ui::Node& body) { tree = body; });
    return tree;
}

} // namespace vantrel::lv2
