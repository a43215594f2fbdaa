#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

#include "host/plugins/BundleDescription.h"
#include "host/plugins/ComponentRegistry.h"
#include "host/plugins/HostedInstance.h"
#include "platform/log/LogSink.h"
#include "platform/sim/SimulatedPlatform.h"

namespace vantrel::host {
namespace {

// A bundle for each factory function of the fake module.
class Hosting : public testing::Test {
protected:
    Hosting() {
        const auto bundle = pluginsFolder(app()) / "Fake.appex";
        std::filesystem::create_directories(bundle);
        std::ofstream(bundle / "Info.json") << R"({"bundleIdentifier": "test.Fake", "executable": ")"
                                            << VANTREL_FAKE_PLUGIN_MODULE << R"(", "audioComponents": [
            {"type": "aumi", "subtype": "good", "manufacturer": "Test", "name": "Good", "factoryFunction": "FakeGood"},
            {"type": "aufx", "subtype": "refu", "manufacturer": "Test", "name": "Refusing", "factoryFunction": "FakeRefusing"},
            {"type": "augn", "subtype": "nvcl", "manufacturer": "Test", "name": "Plain", "factoryFunction": "FakeNotAViewController"},
            {"type": "aumu", "subtype": "none", "manufacturer": "Test", "name": "None", "factoryFunction": "FakeNoPrincipal"},
            {"type": "aumf", "subtype": "miss", "manufacturer": "Test", "name": "Missing", "factoryFunction": "FakeMissing"}]})";
        std::vector<std::string> problems;
        registry.registerApplication(app(), problems);
    }

    std::filesystem::path app() const { return *platform.applicationSupportDirectory() / "Test.app"; }
    const RegisteredComponent& component(const char (&type)[5]) const {
        return *registry.find(platform::fourCharCode(type));
    }

    platform::SimulatedPlatform platform;
    ComponentRegistry registry;
};

TEST_F(Hosting, CreatesTheUnitThroughThePrincipalWithTheRegisteredCodes) {
    const auto instance = HostedInstance::create(registry, component("aumi"));
    ASSERT_TRUE(instance->unit());
    EXPECT_EQ(instance->unit()->componentDescription().componentSubType, platform::fourCharCode("good"));
    EXPECT_EQ(instance->unit()->componentDescription().componentManufacturer, platform::fourCharCode("Test"));
    EXPECT_FALSE(instance->released());
}

TEST_F(Hosting, PressesOnlyButtonsOfAnOpenWindow) {
    const auto instance = HostedInstance::create(registry, component("aumi"));
    const auto lines = instance->viewLines();
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->at(1), "  text \"Fake\"");
    EXPECT_FALSE(instance->pressButton("Press me"));
    instance->openWindow();
    EXPECT_TRUE(instance->windowOpen());
    EXPECT_FALSE(instance->pressButton("Fake"));
    EXPECT_TRUE(instance->pressButton("Press me"));
    EXPECT_EQ(platform.log().texts(platform::LogKind::standardOutput), std::vector<std::string>{"pressed"});
    instance->closeWindow();
    EXPECT_FALSE(instance->pressButton("Press me"));
}

TEST_F(Hosting, KeepsTheRenderBlockAfterRelease) {
    const auto instance = HostedInstance::create(registry, component("aumi"));
    instance->allocate({});
    EXPECT_TRUE(instance->unit()->renderResourcesAllocated());
    instance->openWindow();
    instance->release();
    EXPECT_TRUE(instance->released());
    EXPECT_FALSE(instance->windowOpen());
    EXPECT_FALSE(instance->viewLines());
    ASSERT_TRUE(instance->renderBlock());
    EXPECT_EQ(instance->renderBlock()(nullptr, nullptr, 0, 0, nullptr, nullptr, {}), 7);
    instance->release(); // twice is harmless
}

TEST_F(Hosting, ReadsARenderBlockWhenItNeedsOneBeforeAnyAllocation) {
    const auto instance = HostedInstance::create(registry, component("aumi"));
    EXPECT_TRUE(instance->renderBlock());
}

TEST_F(Hosting, HandsBackTheConstructionError) {
    try {
        HostedInstance::create(registry, component("aufx"));
        FAIL() << "no error";
    } catch (const platform::PlatformError& error) {
        EXPECT_EQ(error.status(), -10875);
    }
}

class BrokenModules : public Hosting,
                      public testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(BrokenModules, AreRefusedWithAReason) {
    const auto& [type, reason] = GetParam();
    const RegisteredComponent* broken = registry.find(fourCharCodeFromText(type));
    ASSERT_NE(broken, nullptr);
    try {
        HostedInstance::create(registry, *broken);
        FAIL() << "accepted " << type;
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Hosting, BrokenModules,
                         testing::Values(std::pair{"augn", "the principal is not a view controller"},
                                         std::pair{"aumu", "the module made no principal"},
                                         std::pair{"aumf", "has no factory function FakeMissing"}));

} // namespace
} // namespace vantrel::host
