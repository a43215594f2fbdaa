#include "formats/lv2/HostProcess.h"

#include <stdexcept>

namespace vantrel::lv2 {

namespace {

platform::LiveTransports hostTransports() {
    platform::LiveTransports transports;
    transports.jack = true;
    transports.dbus = true;
    transports.jackClientName = "vantrel-lv2";
    return transports;
}

} // namespace

HostProcess::HostProcess() : platform_(hostTransports()) {}

std::shared_ptr<HostProcess> HostProcess::acquire() {
    static std::mutex mutex;
    static std::weak_ptr<HostProcess> current;
    const std::lock_guard lock(mutex);
    auto process = current.lock();
    if (!process) {
        process.reset(new HostProcess());
        current = process;
    }
    return process;
}

const host::RegisteredComponent& HostProcess::component(const std::filesystem::path& bundle) {
    const std::lock_guard lock(mutex_);
    const auto canonical = std::filesystem::weakly_canonical(bundle);
    const auto registered = [&]() -> const host::RegisteredComponent* {
        for (const auto& component : registry_.components()) {
            if (component.bundle->bundle == canonical) return &component;
        }
        return nullptr;
    };
    if (const auto* component = registered()) return *component;
    registry_.registerBundle(host::readBundleDescription(canonical));
    if (const auto* component = registered()) return *component;
    throw std::runtime_error(canonical.string() + "/Info.json names no audio component");
}

} // namespace vantrel::lv2
