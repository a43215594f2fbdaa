// The monitor's user interface in a host that cannot give it what it needs: no interface, a
// line in the host's log saying why, and the plug-in instance untouched.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <lv2/instance-access/instance-access.h>
#include <lv2/ui/ui.h>

#include "lv2/Lv2TestHost.h"

namespace vantrel::lv2::testing {
namespace {

const LV2UI_Descriptor* userInterface() {
    void* module = dlopen((monitorBundle + "/VantrelExtensionUI.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) return nullptr;
    auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(module, "lv2ui_descriptor"));
    return entry != nullptr ? entry(0) : nullptr;
}

struct Lack {
    std::string name;
    bool offerParent;
    bool offerInstance;
    bool offerDisplay;
    std::string logged; // a part of the reason
};

class MonitorUserInterface : public ::testing::TestWithParam<Lack> {};

TEST_P(MonitorUserInterface, isNotMadeAndSaysWhy) {
    const LV2UI_Descriptor* descriptor = userInterface();
    ASSERT_NE(descriptor, nullptr) << dlerror();
    TestHost host;
    Instance plugin(monitorBundle, host);
    ASSERT_NE(plugin.handle, nullptr) << host.logged;
    if (!GetParam().offerDisplay) unsetenv("DISPLAY");

    const LV2_Feature parent{LV2_UI__parent, reinterpret_cast<void*>(1)};
    const LV2_Feature instance{LV2_INSTANCE_ACCESS_URI, plugin.handle};
    std::vector<const LV2_Feature*> features(host.features(), host.features() + 2); // map and log
    if (GetParam().offerParent) features.push_back(&parent);
    if (GetParam().offerInstance) features.push_back(&instance);
    features.push_back(nullptr);
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle ui = descriptor->instantiate(descriptor, descriptor->URI, monitorBundle.c_str(), nullptr,
                                              nullptr, &widget, features.data());

    EXPECT_EQ(ui, nullptr);
    EXPECT_EQ(widget, nullptr);
    EXPECT_NE(host.logged.find(GetParam().logged), std::string::npos) << host.logged;
    if (ui != nullptr) descriptor->cleanup(ui);
}

INSTANTIATE_TEST_SUITE_P(Lacks, MonitorUserInterface,
                         ::testing::Values(Lack{"noParentWindow", false, true, true, "parent window"},
                                           Lack{"noInstanceAccess", true, false, true,
                                                "access to the plug-in instance"},
                                           Lack{"noDisplay", true, true, false, "X display"}),
                         [](const auto& info) { return info.param.name; });

} // namespace
} // namespace vantrel::lv2::testing
