// What the host refuses while finding and loading plug-ins, and why it says so. Loading the
// real modules is what every scenario does.

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

#include "host/plugins/BundleDescription.h"
#include "host/plugins/ComponentRegistry.h"
#include "host/plugins/HostedInstance.h"
#include "platform/sim/SimulatedPlatform.h"

namespace vantrel::host {
namespace {

using Problem = std::pair<const char*, const char*>; // what is given, what the host says

class PluginLoading : public testing::Test {
protected:
    // The simulated platform's temporary folder serves as a scratch folder.
    std::filesystem::path app() const { return *platform.applicationSupportDirectory() / "Test.app"; }
    std::filesystem::path writeBundle(const std::string& name, const std::string& info) const {
        const auto bundle = pluginsFolder(app()) / (name + ".appex");
        std::filesystem::create_directories(bundle);
        std::ofstream(bundle / "Info.json") << info;
        return bundle;
    }
    std::vector<std::string> registerApplication() {
        std::vector<std::string> problems;
        registry.registerApplication(app(), problems);
        return problems;
    }

    platform::SimulatedPlatform platform;
    ComponentRegistry registry;
};

class BrokenBundles : public PluginLoading, public testing::WithParamInterface<Problem> {};

TEST_P(BrokenBundles, AreRefusedWithTheFileAndTheReason) {
    const auto bundle = writeBundle("Broken", GetParam().first);
    try {
        readBundleDescription(bundle);
        FAIL() << "accepted: " << GetParam().first;
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), (bundle / "Info.json").string() + ": " + GetParam().second);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bundles, BrokenBundles,
    testing::Values(
        Problem{"[]", "not a JSON object"},
        Problem{R"({"executable": "M.so", "audioComponents": []})", "missing \"bundleIdentifier\""},
        Problem{R"({"bundleIdentifier": "b", "executable": "M.so", "audioComponents": []})",
                "\"audioComponents\" is not a list of components"},
        Problem{R"({"bundleIdentifier": "b", "executable": "M.so", "audioComponents": [{"type": "aumidi",
                             "subtype": "Vtrl", "manufacturer": "Tlvn", "name": "n", "factoryFunction": "f"}]})",
                "\"aumidi\" is not a four-character code"},
        Problem{R"({"bundleIdentifier": "b", "executable": 5, "audioComponents": []})",
                "\"executable\" is not a string"}));

TEST_F(PluginLoading, RegistryTakesEveryReadableBundleAndNamesTheOthers) {
    EXPECT_EQ(registerApplication().size(), 1u); // no plug-ins folder at all
    writeBundle("Monitor", R"({"bundleIdentifier": "m", "executable": "Missing.so", "audioComponents": [
        {"type": "aumi", "subtype": "Vtrl", "manufacturer": "Tlvn", "name": "M", "factoryFunction": "f"}]})");
    writeBundle("Broken", "{");
    EXPECT_EQ(registerApplication().size(), 1u);
    ASSERT_EQ(registry.components().size(), 1u);
    // A missing module fails at loading, not at registering.
    EXPECT_THROW(registry.factory(registry.components()[0]), std::runtime_error);
}

// One component for each ill-behaved factory function of the fake module.
class BrokenModules : public PluginLoading, public testing::WithParamInterface<Problem> {};

TEST_P(BrokenModules, AreRefusedWithAReason) {
    writeBundle("Fake", std::string(R"({"bundleIdentifier": "test.Fake", "executable": ")") +
                            VANTREL_FAKE_PLUGIN_MODULE + R"(", "audioComponents": [
        {"type": "aufx", "subtype": "refu", "manufacturer": "Test", "name": "R", "factoryFunction": "FakeRefusing"},
        {"type": "augn", "subtype": "nvcl", "manufacturer": "Test", "name": "P", "factoryFunction": "FakeNotAViewController"},
        {"type": "aumu", "subtype": "none", "manufacturer": "Test", "name": "N", "factoryFunction": "FakeNoPrincipal"},
        {"type": "aumf", "subtype": "miss", "manufacturer": "Test", "name": "M", "factoryFunction": "FakeMissing"}]})");
    ASSERT_TRUE(registerApplication().empty());
    const RegisteredComponent* broken = registry.find(fourCharCodeFromText(GetParam().first));
    ASSERT_NE(broken, nullptr);
    try {
        HostedInstance::create(registry, *broken);
        FAIL() << "accepted " << GetParam().first;
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().second), std::string::npos) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Modules, BrokenModules,
                         testing::Values(Problem{"aufx", "refused"},
                                         Problem{"augn", "the principal is not a view controller"},
                                         Problem{"aumu", "the module made no principal"},
                                         Problem{"aumf", "has no factory function FakeMissing"}));

} // namespace
} // namespace vantrel::host
