#include "OwnErrors.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace platform::ui::x11 {

namespace {

std::mutex mutex;
std::vector<std::pair<Display*, bool>> displays; // ours, and whether an error came on each
XErrorHandler previous = nullptr;
bool installed = false;

int onError(Display* display, XErrorEvent* event) {
    {
        const std::lock_guard guard(mutex);
        const auto own = std::find_if(displays.begin(), displays.end(),
                                      [display](const auto& entry) { return entry.first == display; });
        if (own != displays.end()) {
            own->second = true;
            return 0;
        }
    }
    return previous != nullptr ? previous(display, event) : 0;
}

} // namespace

void adopt(Display* display) {
    const std::lock_guard guard(mutex);
    // Installed once and left in place: a host's handler set later stays the host's choice.
    if (!installed) {
        previous = XSetErrorHandler(onError);
        installed = true;
    }
    displays.emplace_back(display, false);
}

void forget(Display* display) {
    const std::lock_guard guard(mutex);
    std::erase_if(displays, [display](const auto& entry) { return entry.first == display; });
}

bool hadError(Display* display) {
    XSync(display, False);
    const std::lock_guard guard(mutex);
    const auto own = std::find_if(displays.begin(), displays.end(),
                                  [display](const auto& entry) { return entry.first == display; });
    return own != displays.end() && own->second;
}

} // namespace platform::ui::x11
