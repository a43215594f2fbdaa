#include "formats/lv2/ui/PluginUI.h"

#include <cstdint>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>

#include <lv2/instance-access/instance-access.h>

#include "platform/dispatch/DispatchQueue.h"

namespace vantrel::lv2 {

namespace {

const void* feature(const LV2_Feature* const* features, const char* uri) {
    for (auto* const* each = features; each != nullptr && *each != nullptr; ++each) {
        if (std::strcmp((*each)->URI, uri) == 0) return (*each)->data;
    }
    return nullptr;
}

void onMain(platform::Work work) {
    platform::DispatchQueue::main().sync(std::move(work));
}

} // namespace

std::unique_ptr<PluginUI> PluginUI::instantiate(const char* pluginUri, const LV2_Feature* const* features,
                                                LV2UI_Widget* widget) {
    const HostFeatures host(features);
    const std::string name = std::string(pluginUri) + " (user interface)";
    const void* parent = feature(features, LV2_UI__parent);
    auto* plugin = static_cast<PluginAdapter*>(const_cast<void*>(feature(features, LV2_INSTANCE_ACCESS_URI)));
    if (parent == nullptr || plugin == nullptr) {
        host.logError(name + ": needs the host's parent window and access to the plug-in instance");
        return nullptr;
    }
    std::unique_ptr<PluginUI> ui(new PluginUI(*plugin));
    std::string problem;
    onMain([&] {
        try {
            ui->open(pluginUri, reinterpret_cast<std::uintptr_t>(parent));
        } catch (const std::exception& error) {
            problem = error.what();
        }
    });
    if (!problem.empty()) {
        host.logError(name + ": " + problem);
        return nullptr;
    }
    *widget = reinterpret_cast<LV2UI_Widget>(static_cast<std::uintptr_t>(ui->window_->id()));
    if (const auto* resize = static_cast<const LV2UI_Resize*>(feature(features, LV2_UI__resize))) {
        const platform::ui::render::Size size = ui->window_->size();
        resize->ui_resize(resize->handle, static_cast<int>(size.width), static_cast<int>(size.height));
    }
    return ui;
}

void PluginUI::open(const char* title, unsigned long parent) {
    const auto body = view_.body();
    if (!body) throw std::runtime_error("the plug-in shows no view");
    renderer_ = std::make_unique<platform::ui::render::Renderer>();
    const platform::ui::render::Size size = renderer_->idealSize(*body);
    // Dark, as the hosts' own panels around it.
    const platform::ui::x11::X11Window::Options options{
        .title = title, .size = size, .parent = parent, .appearance = platform::ui::render::Appearance::dark};
    window_ = std::make_unique<platform::ui::x11::X11Window>(
        *renderer_, options, [this] { return view_.body().value_or(platform::ui::spacer()); });
    nextDraw_ = std::chrono::steady_clock::now();
}

PluginUI::~PluginUI() {
    onMain([this] {
        window_.reset();
        renderer_.reset();
    });
}

int PluginUI::idle() {
    onMain([this] {
        window_->handleEvents();
        const auto now = std::chrono::steady_clock::now();
        if (now < nextDraw_) return;
        window_->redraw();
        nextDraw_ = now + drawInterval;
    });
    return 0;
}

} // namespace vantrel::lv2
