#pragma once
// An application's scene: each window it opens shows a fresh content view.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/View.h"

namespace platform::ui {

struct WindowGroup {
    std::optional<std::string> title; // none: the application's name
    std::function<std::shared_ptr<View>()> content;
};

} // namespace platform::ui
