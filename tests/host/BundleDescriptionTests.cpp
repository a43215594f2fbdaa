#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

#include "host/plugins/BundleDescription.h"
#include "host/plugins/ComponentRegistry.h"
#include "platform/sim/SimulatedPlatform.h"

namespace vantrel::host {
namespace {

constexpr const char* monitorInfo = R"({
    "bundleIdentifier": "com.example.Monitor",
    "executable": "Monitor.so",
    "audioComponents": [{"type": "aumi", "subtype": "Vtrl", "manufacturer": "Tlvn",
                         "name": "Tolvane: Vantrel", "version": 198405,
                         "factoryFunction": "VantrelPluginCreatePrincipal"}]
})";

class Bundles : public testing::Test {
protected:
    // The simulated platform's temporary folder serves as a scratch folder.
    std::filesystem::path app() const { return *platform.applicationSupportDirectory() / "Test.app"; }

    std::filesystem::path writeBundle(const std::string& name, const std::string& info) const {
        const auto bundle = pluginsFolder(app()) / (name + ".appex");
        std::filesystem::create_directories(bundle);
        std::ofstream(bundle / "Info.json") << info;
        return bundle;
    }

    platform::SimulatedPlatform platform;
};

TEST_F(Bundles, DescribeTheComponentAndItsModule) {
    const auto bundle = writeBundle("Monitor", monitorInfo);
    const BundleDescription description = readBundleDescription(bundle);
    EXPECT_EQ(description.bundleIdentifier, "com.example.Monitor");
    EXPECT_EQ(description.executable, bundle / "Monitor.so");
    ASSERT_EQ(description.audioComponents.size(), 1u);
    const AudioComponentEntry& component = description.audioComponents[0];
    EXPECT_EQ(component.description.componentType, platform::kAudioUnitType_MIDIProcessor);
    EXPECT_EQ(component.description.componentSubType, platform::fourCharCode("Vtrl"));
    EXPECT_EQ(component.description.componentManufacturer, platform::fourCharCode("Tlvn"));
    EXPECT_EQ(component.name, "Tolvane: Vantrel");
    EXPECT_EQ(component.version, 198405u);
    EXPECT_EQ(component.factoryFunction, "VantrelPluginCreatePrincipal");
}

class BrokenBundles : public Bundles,
                      public testing::WithParamInterface<std::pair<const char*, const char*>> {};

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
        std::pair{"[]", "not a JSON object"},
        std::pair{R"({"executable": "M.so", "audioComponents": []})", "missing \"bundleIdentifier\""},
        std::pair{R"({"bundleIdentifier": "b", "executable": "M.so", "audioComponents": []})",
                  "\"audioComponents\" is not a list of components"},
        std::pair{R"({"bundleIdentifier": "b", "executable": "M.so", "audioComponents": [{"type": "aumidi",
                   "subtype": "Vtrl", "manufacturer": "Tlvn", "name": "n", "factoryFunction": "f"}]})",
                  "\"aumidi\" is not a four-character code"},
        std::pair{R"({"bundleIdentifier": "b", "executable": 5, "audioComponents": []})",
                  "\"executable\" is not a string"}));

TEST_F(Bundles, RegistryTakesEveryReadableBundleAndNamesTheOthers) {
    writeBundle("Monitor", monitorInfo);
    writeBundle("Broken", "{");
    ComponentRegistry registry;
    std::vector<std::string> problems;
    registry.registerApplication(app(), problems);
    ASSERT_EQ(registry.components().size(), 1u);
    EXPECT_EQ(problems.size(), 1u);
    EXPECT_NE(registry.find(platform::kAudioUnitType_MIDIProcessor), nullptr);
    EXPECT_EQ(registry.find(platform::kAudioUnitType_Effect), nullptr);
}

TEST_F(Bundles, AMissingModuleFailsAtLoadingNotAtRegistering) {
    writeBundle("Monitor", monitorInfo);
    ComponentRegistry registry;
    std::vector<std::string> problems;
    registry.registerApplication(app(), problems);
    const RegisteredComponent* component = registry.find(platform::kAudioUnitType_MIDIProcessor);
    ASSERT_NE(component, nullptr);
    EXPECT_THROW(registry.factory(*component), std::runtime_error);
}

TEST_F(Bundles, AnApplicationWithoutPluginsIsAProblemNotACrash) {
    ComponentRegistry registry;
    std::vector<std::string> problems;
    registry.registerApplication(app() / "missing", problems);
    EXPECT_TRUE(registry.components().empty());
    EXPECT_EQ(problems.size(), 1u);
}

} // namespace
} // namespace vantrel::host
