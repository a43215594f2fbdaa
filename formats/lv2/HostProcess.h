#pragma once
// What the plug-ins share inside a host process that loads them as LV2 plug-ins: the platform in
// force and the registry of the bundles loaded so far. The first instance puts them in place,
// the last one to go ends them, so a host that unloads every plug-in is left with none of our
// threads running.
//
// This is the one place that chooses the platform's backends inside a host process: MIDI over
// JACK and notifications over the session bus, so that the plug-ins reach vantrel-receiver. With
// no JACK server or no bus they find no receiver, pass everything through and report nothing.

#include <filesystem>
#include <memory>
#include <mutex>

#include "host/plugins/ComponentRegistry.h"
#include "platform/sim/LivePlatform.h"

namespace vantrel::lv2 {

class HostProcess {
public:
    // The process's services, put in place if no instance holds them. [host]
    static std::shared_ptr<HostProcess> acquire();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    // The component of the bundle at `bundle`, registering the bundle the first time. Throws
    // std::runtime_error when the bundle's description cannot be read or names no component. [host]
    const host::RegisteredComponent& component(const std::filesystem::path& bundle);
    host::ComponentRegistry& registry() { return registry_; }

private:
    HostProcess();

    platform::LivePlatform platform_;
    std::mutex mutex_; // guards registry_'s registrations
    host::ComponentRegistry registry_;
};

} // namespace vantrel::lv2
