// The entry of a plug-in's user-interface binary; the build names the plug-in (VANTREL_LV2_URI),
// whose interface is its URI with "#ui" added.

#include <cstdint>
#include <cstring>

#include "formats/lv2/ui/PluginUI.h"

namespace {

using vantrel::lv2::PluginUI;

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*, LV2UI_Write_Function,
                         LV2UI_Controller, LV2UI_Widget* widget, const LV2_Feature* const* features) {
    return PluginUI::instantiate(pluginUri, features, widget).release();
}

void cleanup(LV2UI_Handle ui) {
    delete static_cast<PluginUI*>(ui);
}

// The view reads its instance itself: the plug-in's ports tell the interface nothing.
void portEvent(LV2UI_Handle, std::uint32_t, std::uint32_t, std::uint32_t, const void*) {}

int idle(LV2UI_Handle ui) {
    return static_cast<PluginUI*>(ui)->idle();
}

const void* extensionData(const char* uri) {
    static const LV2UI_Idle_Interface idleInterface{idle};
    return std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &idleInterface : nullptr;
}

} // namespace

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(std::uint32_t index) {
    static const LV2UI_Descriptor descriptor{VANTREL_LV2_URI "#ui", instantiate, cleanup, portEvent,
                                             extensionData};
    return index == 0 ? &descriptor : nullptr;
}
