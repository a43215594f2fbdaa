#pragma once
// The audio components a host knows, registered from the bundle descriptions it finds in a
// container application's plug-in folder. A component's module is loaded the first time one of
// its components is instantiated and stays loaded for the life of the process, as hosts do:
// code of a module may still be referred to by work queued on the platform's queues.

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/plugins/BundleDescription.h"
#include "platform/audiounit/AUAudioUnitFactory.h"

namespace vantrel::host {

struct RegisteredComponent {
    AudioComponentEntry entry;
    std::shared_ptr<const BundleDescription> bundle;
    // The factory of a plug-in linked into the program itself; null: the bundle's module has it.
    platform::PluginPrincipalEntryPoint linkedFactory = nullptr;
};

class ComponentRegistry {
public:
    // Registers every bundle "*.appex" in `application`/Contents/PlugIns. A bundle that cannot
    // be read is left out and named in `problems`. [host]
    void registerApplication(const std::filesystem::path& application, std::vector<std::string>& problems);
    void registerBundle(BundleDescription bundle); // [host]
    // A bundle whose plug-in is linked into the program, so that its module is never loaded
    // and its types are the program's own (the randomized simulation looks inside). [host]
    void registerLinked(BundleDescription bundle, platform::PluginPrincipalEntryPoint factory);

    // The first component of `type`; null when none is registered. [any]
    const RegisteredComponent* find(platform::OSType componentType) const;
    const std::vector<RegisteredComponent>& components() const { return components_; }

    // The principal factory of the component's module, loading the module if need be. Throws
    // std::runtime_error naming the module and the loader's reason. [host]
    platform::PluginPrincipalEntryPoint factory(const RegisteredComponent& component);

private:
    std::vector<RegisteredComponent> components_;
    std::mutex mutex_;
    std::map<std::filesystem::path, void*> modules_; // loaded modules by path, never closed
};

// The container application's folders: the plug-ins inside it, and the one the build installs
// beside the host program.
std::filesystem::path pluginsFolder(const std::filesystem::path& application);
std::filesystem::path defaultApplicationFolder();

} // namespace vantrel::host
