#include "app/TolvaneVantrelWindow.h"

#include <atomic>
#include <csignal>

#include "platform/ui/x11/X11Window.h"

namespace vantrel {

namespace {

std::atomic<bool> quitRequested{false};

extern "C" void requestQuit(int) {
    quitRequested.store(true);
}

} // namespace

void showTolvaneVantrelWindow(const TolvaneVantrelApp& app) {
    using namespace platform::ui;
    const WindowGroup group = app.body();
    const std::shared_ptr<View> content = group.content();
    const render::Renderer renderer;
    const render::Size size = renderer.idealSize(content->body());
    x11::X11Window window(renderer, {.title = group.title.value_or(TolvaneVantrelApp::name), .size = size},
                          [&content] { return content->body(); });
    quitRequested.store(false);
    const auto previousInterrupt = std::signal(SIGINT, requestQuit);
    const auto previousTerminate = std::signal(SIGTERM, requestQuit);
    // The content never changes by itself: the tick only bounds how late a quit request is seen.
    window.run(std::chrono::milliseconds(100), {}, [] { return !quitRequested.load(); });
    std::signal(SIGINT, previousInterrupt);
    std::signal(SIGTERM, previousTerminate);
}

} // namespace vantrel
