#include "MonitorViewTestBench.h"

#include "frame/common/ui/ObservableAUParameter.h"
#include "platform/audiounit/AUParameterTree.h"
#include "platform/ui/TextRendering.h"

namespace vantrel::monitor::test {

MonitorViewTestBench::MonitorViewTestBench() {
    addDestination();
    unit = createRenderingUnit();
    view = std::make_shared<VantrelExtensionMainView>(
        std::make_shared<ObservableAUParameterGroup>(*platform::AUParameterTree::createTree({})), unit);
    hosting = std::make_shared<ui::HostingController>(view);
    window = std::make_unique<ui::Window>(hosting);
}

void MonitorViewTestBench::play(const Bytes& event) {
    EventList events;
    events.midi(event);
    render(unit->internalRenderBlock(), events.head());
}

void MonitorViewTestBench::postArticulations(const std::vector<std::string>& names,
                                             const std::vector<int>& notes) {
    post("com.marlek.vantrel.articulations", platform::Dictionary{{"names", names}, {"notes", notes}});
}

std::vector<std::string> MonitorViewTestBench::shownLines() const {
    return ui::renderLines(shown());
}

bool MonitorViewTestBench::press(const std::string& label) const {
    const ui::Node tree = shown();
    const ui::Node* button = ui::findNode(tree, [&](const ui::Node& node) {
        return node.kind == ui::NodeKind::button && findText(node, label) != nullptr;
    });
    if (button == nullptr) return false;
    button->action();
    return true;
}

std::vector<std::string> texts(const ui::Node& root) {
    std::vector<std::string> found;
    for (const ui::Node* node :
         ui::findNodes(root, [](const ui::Node& n) { return n.kind == ui::NodeKind::text; }))
        found.push_back(node->text);
    return found;
}

const ui::Node* findText(const ui::Node& root, const std::string& content) {
    return ui::findNode(
        root, [&](const ui::Node& node) { return node.kind == ui::NodeKind::text && node.text == content; });
}

const ui::Node* findKind(const ui::Node& root, ui::NodeKind kind) {
    return ui::findNode(root, [kind](const ui::Node& node) { return node.kind == kind; });
}

} // namespace vantrel::monitor::test
