#pragma once
// A controller-monitor instance with its main view hosted in a window, on virtual time, and ways
// to read the shown tree as the host does.

#include <memory>
#include <string>
#include <vector>

#include "monitor/MonitorTestBench.h"
#include "monitor/ui/VantrelExtensionMainView.h"
#include "platform/ui/HostingController.h"
#include "platform/ui/Node.h"
#include "platform/ui/Window.h"

namespace vantrel::monitor::test {

namespace ui = platform::ui;

// The strings of all texts in the tree, in rendering order.
std::vector<std::string> texts(const ui::Node& root);
const ui::Node* findText(const ui::Node& root, const std::string& content);
const ui::Node* findKind(const ui::Node& root, ui::NodeKind kind);

class MonitorViewTestBench : public MonitorTestBench {
protected:
    MonitorViewTestBench();

    void open() { window->open(); }
    void close() { window->close(); }
    void poll() { sim.advance(ms(100)); } // one tick of the view's timer
    void play(const Bytes& event);        // one render call with one MIDI event
    void postArticulations(const std::vector<std::string>& names, const std::vector<int>& notes);

    ui::Node shown() const { return view->body(); }
    std::vector<std::string> shownLines() const;
    // Whether the shown tree has a text with this string / a node of this kind.
    bool shows(const std::string& content) const { return findText(shown(), content) != nullptr; }
    bool shows(ui::NodeKind kind) const { return findKind(shown(), kind) != nullptr; }
    // Presses the shown button with this label; false when none is shown.
    bool press(const std::string& label) const;

    std::shared_ptr<VantrelExtensionAudioUnit> unit;
    std::shared_ptr<VantrelExtensionMainView> view;
    std::shared_ptr<ui::HostingController> hosting;
    std::unique_ptr<ui::Window> window;
};

} // namespace vantrel::monitor::test
