#include "support/MonitorWindow.h"

#include "platform/ui/TextRendering.h"
#include "support/PluginComponents.h"

namespace vantrel::test {

MonitorWindow::MonitorWindow(HostedMonitor& hosted)
    : controller(std::make_shared<monitor::AudioUnitViewController>()),
      unit(std::dynamic_pointer_cast<monitor::VantrelExtensionAudioUnit>(
          controller->createAudioUnit(monitorComponent()))),
      hosted_(hosted), window_(controller) {
    window_.open();
    hosted_.sim.runDue();
}

std::vector<std::string> MonitorWindow::lines() {
    hosted_.sim.advance(ms(100));
    const auto& hosting = controller->hostingController();
    return hosting ? platform::ui::renderLines(hosting->body()) : std::vector<std::string>{};
}

} // namespace vantrel::test
