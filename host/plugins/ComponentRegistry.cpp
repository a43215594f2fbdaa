#include "host/plugins/ComponentRegistry.h"

#include <dlfcn.h>

#include <algorithm>
#include <stdexcept>
#include <system_error>

namespace vantrel::host {

std::filesystem::path pluginsFolder(const std::filesystem::path& application) {
    return application / "Contents" / "PlugIns";
}

std::filesystem::path defaultApplicationFolder() {
    // The build and the installation both put the host program in a "bin" folder beside the
    // application folder.
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return "TolvaneVantrel.app";
    return program.parent_path().parent_path() / "TolvaneVantrel.app";
}

void ComponentRegistry::registerApplication(const std::filesystem::path& application,
                                            std::vector<std::string>& problems) {
    const auto folder = pluginsFolder(application);
    std::error_code error;
    std::vector<std::filesystem::path> bundles;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (it->path().extension() == ".appex") bundles.push_back(it->path());
    }
    if (error) {
        problems.push_back(folder.string() + ": " + error.message());
        return;
    }
    // Directory order is the file system's; registration order should not be.
    std::sort(bundles.begin(), bundles.end());
    for (const auto& bundle : bundles) {
        try {
            registerBundle(readBundleDescription(bundle));
        } catch (const std::exception& problem) {
            problems.push_back(problem.what());
        }
    }
}

void ComponentRegistry::registerBundle(BundleDescription bundle) {
    registerLinked(std::move(bundle), nullptr);
}

void ComponentRegistry::registerLinked(BundleDescription bundle,
                                       platform::PluginPrincipalEntryPoint factory) {
    const auto shared = std::make_shared<const BundleDescription>(std::move(bundle));
    for (const auto& entry : shared->audioComponents)
        components_.push_back({entry, shared, factory});
}

const RegisteredComponent* ComponentRegistry::find(platform::OSType componentType) const {
    for (const auto& component : components_) {
        if (component.entry.description.componentType == componentType) return &component;
    }
    return nullptr;
}

platform::PluginPrincipalEntryPoint ComponentRegistry::factory(const RegisteredComponent& component) {
    if (component.linkedFactory != nullptr) return component.linkedFactory;
    const auto& path = component.bundle->executable;
    std::lock_guard guard(mutex_);
    void*& module = modules_[path];
    if (module == nullptr) {
        module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            const char* reason = dlerror();
            modules_.erase(path);
            throw std::runtime_error("cannot load " + path.string() + ": " +
                                     (reason ? reason : "unknown reason"));
        }
    }
    void* symbol = dlsym(module, component.entry.factoryFunction.c_str());
    if (symbol == nullptr)
        throw std::runtime_error(path.string() + " has no factory function " +
                                 component.entry.factoryFunction);
    return reinterpret_cast<platform::PluginPrincipalEntryPoint>(symbol);
}

} // namespace vantrel::host
