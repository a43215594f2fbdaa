#include "formats/lv2/Descriptor.h"

#include <cstring>

#include <lv2/state/state.h>

namespace vantrel::lv2 {

namespace {

PluginAdapter& adapter(LV2_Handle instance) {
    return *static_cast<PluginAdapter*>(instance);
}

LV2_Handle instantiate(const LV2_Descriptor* descriptor, double, const char* bundlePath,
                       const LV2_Feature* const* features) {
    const auto* described = reinterpret_cast<const AdapterDescriptor*>(descriptor);
    return PluginAdapter::instantiate(descriptor->URI, described->layout, bundlePath, features).release();
}

void connectPort(LV2_Handle instance, std::uint32_t port, void* data) {
    adapter(instance).connectPort(port, data);
}

void activate(LV2_Handle instance) {
    adapter(instance).activate();
}

void run(LV2_Handle instance, std::uint32_t frames) {
    adapter(instance).run(frames);
}

void deactivate(LV2_Handle instance) {
    adapter(instance).deactivate();
}

void cleanup(LV2_Handle instance) {
    delete static_cast<PluginAdapter*>(instance);
}

LV2_State_Status save(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle, std::uint32_t,
                      const LV2_Feature* const*) {
    return adapter(instance).save(store, handle);
}

LV2_State_Status restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                         std::uint32_t, const LV2_Feature* const*) {
    return adapter(instance).restore(retrieve, handle);
}

const void* extensionData(const char* uri) {
    static const LV2_State_Interface state{save, restore};
    return std::strcmp(uri, LV2_STATE__interface) == 0 ? &state : nullptr;
}

} // namespace

AdapterDescriptor makeDescriptor(const char* pluginUri, PortLayout layout) {
    return {{pluginUri, instantiate, connectPort, activate, run, deactivate, cleanup, extensionData}, layout};
}

} // namespace vantrel::lv2
