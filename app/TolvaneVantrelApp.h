#pragma once
// The container application. It exists to carry the two plug-ins; at run time it only shows
// one window with a ContentView.

#include "platform/ui/WindowGroup.h"

namespace vantrel {

class TolvaneVantrelApp {
public:
    static constexpr const char* name = "TolvaneVantrel";

    // One window group of ContentViews, with no title of its own. [main]
    platform::ui::WindowGroup body() const;
};

} // namespace vantrel
