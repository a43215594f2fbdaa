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

// SIGINT and SIGTERM ask the window to close while it is shown, and do what they did before
// afterwards, however the window ends.
class QuitSignals {
public:
    QuitSignals()
        : previousInterrupt_(std::signal(SIGINT, requestQuit)),
          previousTerminate_(std::signal(SIGTERM, requestQuit)) {
        quitRequested.store(false);
    }
    ~QuitSignals() {
        std::signal(SIGINT, previousInterrupt_);
        std::signal(SIGTERM, previousTerminate_);
    }
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

private:
    void (*previousInterrupt_)(int);
    void (*previousTerminate_)(int);
};

} // namespace

void showTolvaneVantrelWindow(const TolvaneVantrelApp& app) {
    using namespace platform::ui;
    const WindowGroup group = app.body();
    const std::shared_ptr<View> content = group.content();
    const render::Renderer renderer;
    const render::Size size = renderer.idealSize(content->body());
    x11::X11Window window(renderer, {.title = group.title.value_or(TolvaneVantrelApp::name), .size = size},
                          [&content] { return content->body(); });
    const QuitSignals quitSignals;
    // The content never changes by itself: the tick only bounds how late a quit request is seen.
    window.run(std::chrono::milliseconds(100), {}, [] { return !quitRequested.load(); });
}

} // namespace vantrel
