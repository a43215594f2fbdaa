#include "host/plugins/HostedInstance.h"

#include <stdexcept>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/ui/TextRendering.h"

namespace vantrel::host {

namespace {

void onMain(platform::Work work) {
    platform::DispatchQueue::main().sync(std::move(work));
}

// The text of a button's label: the first text node inside it.
const platform::ui::Node* labelText(const platform::ui::Node& button) {
    return platform::ui::findNode(
        button, [](const platform::ui::Node& node) { return node.kind == platform::ui::NodeKind::text; });
}

} // namespace

std::unique_ptr<HostedInstance> HostedInstance::create(ComponentRegistry& registry,
                                                       const RegisteredComponent& component) {
    const auto factory = registry.factory(component);
    std::unique_ptr<HostedInstance> instance(new HostedInstance());
    factory(&instance->principal_);
    if (!instance->principal_)
        throw std::runtime_error(component.entry.name + ": the module made no principal");
    instance->viewController_ = std::dynamic_pointer_cast<platform::ui::ViewController>(instance->principal_);
    if (!instance->viewController_)
        throw std::runtime_error(component.entry.name + ": the principal is not a view controller");
    try {
        instance->unit_ = instance->principal_->createAudioUnit(component.entry.description);
    } catch (...) {
        // The principal is a view controller: it goes on the main queue.
        instance->release();
        throw;
    }
    if (!instance->unit_) throw std::runtime_error(component.entry.name + ": the factory made no audio unit");
    return instance;
}

HostedInstance::~HostedInstance() {
    release();
}

void HostedInstance::allocate(platform::AUMIDIOutputEventBlock midiOutput) {
    unit_->setMIDIOutputEventBlock(std::move(midiOutput));
    unit_->allocateRenderResources();
    renderBlock_ = unit_->internalRenderBlock();
}

void HostedInstance::deallocate() {
    unit_->deallocateRenderResources();
}

const platform::AUInternalRenderBlock& HostedInstance::renderBlock() {
    if (!renderBlock_ && unit_) renderBlock_ = unit_->internalRenderBlock();
    return renderBlock_;
}

void HostedInstance::openWindow() {
    onMain([this] {
        if (!window_) window_ = std::make_unique<platform::ui::Window>(viewController_);
        window_->open();
    });
}

void HostedInstance::closeWindow() {
    onMain([this] {
        if (window_) window_->close();
    });
}

bool HostedInstance::windowOpen() const {
    return window_ && window_->isOpen();
}

std::shared_ptr<platform::ui::HostingController> HostedInstance::hostingController() const {
    if (!viewController_) return nullptr;
    const auto& children = viewController_->childViewControllers();
    for (auto child = children.rbegin(); child != children.rend(); ++child) {
        if (auto hosting = std::dynamic_pointer_cast<platform::ui::HostingController>(*child)) return hosting;
    }
    return nullptr;
}

std::optional<std::vector<std::string>> HostedInstance::viewLines() {
    std::optional<std::vector<std::string>> lines;
    onMain([&] {
        if (const auto hosting = hostingController()) lines = platform::ui::renderLines(hosting->body());
    });
    return lines;
}

bool HostedInstance::withViewTree(const std::function<void(const platform::ui::Node&)>& use) {
    bool hosted = false;
    onMain([&] {
        if (const auto hosting = hostingController()) {
            use(hosting->body());
            hosted = true;
        }
    });
    return hosted;
}

bool HostedInstance::pressButton(const std::string& label) {
    bool pressed = false;
    onMain([&] {
        const auto hosting = hostingController();
        if (!hosting || !windowOpen()) return;
        const platform::ui::Node tree = hosting->body();
        const platform::ui::Node* button = platform::ui::findNode(tree, [&](const platform::ui::Node& node) {
            if (node.kind != platform::ui::NodeKind::button) return false;
            const platform::ui::Node* text = labelText(node);
            return text != nullptr && text->text == label;
        });
        if (button == nullptr || !button->action) return;
        button->action();
        pressed = true;
    });
    return pressed;
}

void HostedInstance::release() {
    if (!principal_ && !unit_) return;
    unit_.reset();
    onMain([this] {
        window_.reset();
        viewController_.reset();
        principal_.reset();
    });
}

} // namespace vantrel::host
