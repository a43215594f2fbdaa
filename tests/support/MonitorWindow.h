#pragma once
// The monitor as a host shows it: the instance made by the plug-in's view controller (which
// installs the parameter tree) in an open window, so that what reaches the instance also reaches
// the parameters and the view.

#include <memory>
#include <string>
#include <vector>

#include "monitor/common/ui/AudioUnitViewController.h"
#include "platform/ui/Window.h"
#include "support/HostedMonitor.h"

namespace vantrel::test {

class MonitorWindow {
public:
    explicit MonitorWindow(HostedMonitor& hosted);

    // Lets the view's poll run, then draws the view as text.
    std::vector<std::string> lines();

    std::shared_ptr<monitor::AudioUnitViewController> controller;
    std::shared_ptr<monitor::VantrelExtensionAudioUnit> unit;

private:
    HostedMonitor& hosted_;
    platform::ui::Window window_;
};

} // namespace vantrel::test
