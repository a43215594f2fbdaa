#pragma once
// One plug-in instance as a host holds it: the plug-in's principal (its view controller, which is
// also its audio-unit factory), the audio unit the principal made, the window that shows the
// plug-in's view, and the render block the host renders with. The render block is kept after the
// instance is released, as a host's render thread may still hold it.
//
// Host-thread operations may run on any thread but the main queue's; view operations move to
// the main queue themselves and wait for it.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/plugins/ComponentRegistry.h"
#include "platform/audiounit/AUAudioUnit.h"
#include "platform/ui/HostingController.h"
#include "platform/ui/Window.h"

namespace vantrel::host {

class HostedInstance {
public:
    // Loads the component's module if need be, makes its principal and asks it for an audio
    // unit. Throws platform::PlatformError when the audio unit's construction fails and
    // std::runtime_error when the module or its principal is unusable. [host]
    static std::unique_ptr<HostedInstance> create(ComponentRegistry& registry,
                                                  const RegisteredComponent& component);
    ~HostedInstance();
    HostedInstance(const HostedInstance&) = delete;
    HostedInstance& operator=(const HostedInstance&) = delete;

    bool released() const { return !unit_; }
    // The audio unit; null once released. [host]
    const std::shared_ptr<platform::AUAudioUnit>& unit() const { return unit_; }

    // Sets the host's MIDI output (empty: none), allocates and reads a fresh render block.
    // Throws platform::PlatformError when the allocation fails. [host]
    void allocate(platform::AUMIDIOutputEventBlock midiOutput);
    void deallocate(); // [host]
    // The render block last read; read now if there is none yet (and the unit still exists).
    // Empty when none can be had. [host]
    const platform::AUInternalRenderBlock& renderBlock();

    // The plug-in window. [host]
    void openWindow();
    void closeWindow();
    bool windowOpen() const;
    // The text rendering of the hosted main view; none when the principal hosts no view. [host]
    std::optional<std::vector<std::string>> viewLines();
    // Hands the hosted main view's tree to `use` on the main queue; false when the principal
    // hosts no view. [host]
    bool withViewTree(const std::function<void(const platform::ui::Node&)>& use);
    // Presses the button of the hosted view whose label reads `label`; false when the window is
    // not open or no such button is shown. [host]
    bool pressButton(const std::string& label);

    // Closes the window and lets go of the principal and the audio unit. [host]
    void release();

private:
    HostedInstance() = default;
    std::shared_ptr<platform::ui::HostingController> hostingController() const; // [main]

    std::shared_ptr<platform::AUAudioUnitFactory> principal_;
    std::shared_ptr<platform::ui::ViewController> viewController_;
    std::shared_ptr<platform::AUAudioUnit> unit_;
    std::unique_ptr<platform::ui::Window> window_;
    platform::AUInternalRenderBlock renderBlock_;
};

} // namespace vantrel::host
