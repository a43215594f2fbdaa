#pragma once
// A controller monitor as a host holds it: created through the plug-in's view controller (which
// installs the parameter tree), with its window open, so that what reaches the instance also
// reaches the parameter wrappers and the view.

#include <memory>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "monitor/common/audiounit/VantrelExtensionAudioUnit.h"
#include "monitor/common/ui/AudioUnitViewController.h"
#include "platform/ui/TextRendering.h"
#include "platform/ui/Window.h"

namespace vantrel::fuzz {

struct HostedMonitor {
    HostedMonitor()
        : controller(std::make_shared<monitor::AudioUnitViewController>()),
          unit(std::dynamic_pointer_cast<monitor::VantrelExtensionAudioUnit>(
              controller->createAudioUnit({platform::kAudioUnitType_MIDIProcessor,
                                           platform::fourCharCode("Vntr"), platform::fourCharCode("Mrlk")}))),
          window(controller) {
        window.open();
        platform.sim.runDue();
    }

    // Lets the view's poll run, then draws the view as text.
    std::vector<std::string> showView() {
        platform.sim.advance(platform::milliseconds(100));
        const auto& hosting = controller->hostingController();
        return hosting ? platform::ui::renderLines(hosting->body()) : std::vector<std::string>{};
    }

    FuzzPlatform platform;
    std::shared_ptr<monitor::AudioUnitViewController> controller;
    std::shared_ptr<monitor::VantrelExtensionAudioUnit> unit;
    platform::ui::Window window;
};

} // namespace vantrel::fuzz
