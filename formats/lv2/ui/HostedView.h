#pragma once
// A plug-in's main view as its LV2 user interface shows it: the plug-in's window is open while
// the interface lives, so the view is on screen and polls its instance as in any host.

#include <optional>

#include "formats/lv2/PluginAdapter.h"
#include "platform/ui/Node.h"

namespace vantrel::lv2 {

class HostedView {
public:
    // Opens the plug-in's window; `plugin` must outlive the view. [host]
    explicit HostedView(PluginAdapter& plugin);
    ~HostedView(); // [host] Closes it.
    HostedView(const HostedView&) = delete;
    HostedView& operator=(const HostedView&) = delete;

    // [main] The view's tree as it stands now; none when the plug-in hosts no view. (The hosted
    // instance hands its tree over on the main queue, at once when called there.)
    std::optional<platform::ui::Node> body() const;

private:
    host::HostedInstance& instance_;
};

} // namespace vantrel::lv2
