// The mapping file: what content yields an entry, and the file's place, name and readability.

#include <gmock/gmock.h>

#include <filesystem>

#include "MeterTestBench.h"
#include "meter/common/audiounit/TrackMappingFile.h"

namespace vantrel::meter::test {
namespace {

using namespace platform;
using ::testing::ElementsAre;
using Expected = std::optional<std::pair<int, std::string>>;

struct ContentCase {
    const char* name;
    std::string content;
    Expected mapping; // for instance 3
};

class TrackMappingContent : public ::testing::TestWithParam<ContentCase> {};

TEST_P(TrackMappingContent, YieldsTheEntryOfInstance3OrNone) {
    const auto mapping = readTrackMapping(GetParam().content, 3);
    EXPECT_EQ(mapping ? Expected({mapping->trackNr, mapping->trackName}) : std::nullopt, GetParam().mapping);
}

INSTANTIATE_TEST_SUITE_P(
    Contents, TrackMappingContent,
    ::testing::Values(
        ContentCase{"Entry", R"({"3": {"trackNr": 7, "trackName": "Bass"}})", Expected({7, "Bass"})},
        ContentCase{
            "OtherEntriesAndKeysIgnored",
            R"({"1": {"trackNr": 2}, "3": {"trackNr": 7, "trackName": "Bass", "colour": 4}, "x": {}})",
            Expected({7, "Bass"})},
        ContentCase{"NoName", R"({"3": {"trackNr": 7}})", Expected({7, ""})},
        ContentCase{"NameNotText", R"({"3": {"trackNr": 7, "trackName": 12}})", Expected({7, ""})},
        ContentCase{"TopLevelList", "[1, 2]", std::nullopt},
        ContentCase{"ANumberBesideTheEntry", R"({"3": {"trackNr": 7}, "x": 1})", std::nullopt},
        ContentCase{"NoEntry", R"({"200": {"trackNr": 7}})", std::nullopt},
        ContentCase{"KeyWithLeadingZero", R"({"03": {"trackNr": 7}})", std::nullopt},
        ContentCase{"TrackMissing", R"({"3": {"trackName": "Bass"}})", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// Through allocateRenderResources, which runs the check every time.
class MeterMappingFile : public MeterTestBench {
protected:
    void check() {
        unit->allocateRenderResources();
        unit->deallocateRenderResources();
    }
    std::string entry(int trackNr, const std::string& trackName) const {
        return mappingFor(unit->instanceID(), trackNr, trackName);
    }

    std::shared_ptr<Unit> unit = createUnit();
};

TEST_F(MeterMappingFile, ANameIsLoggedUnchanged) {
    ASSERT_TRUE(writeMapping(entry(200, "%s%n%@ \\\"Ü\\\" 🎸")));
    check();
    EXPECT_EQ(unit->trackNr(), 127);
    EXPECT_THAT(systemLog("[AudioMeter] Mapping"),
                ElementsAre("[AudioMeter] Mapping gelesen: instance " + std::to_string(unit->instanceID()) +
                            " → trackNr=127, name='%s%n%@ \"Ü\" 🎸'"));
}

TEST_F(MeterMappingFile, AnUnreadableFileChangesNothing) {
    std::filesystem::create_directories(mappingPath()); // exists, but cannot be read as a file
    check();
    EXPECT_EQ(unit->trackNr(), 0);
    std::filesystem::remove(mappingPath());
    ASSERT_TRUE(writeMapping(entry(7, "Bass")));
    check();
    EXPECT_EQ(unit->trackNr(), 7);
}

TEST_F(MeterMappingFile, WithoutAnApplicationSupportDirectoryThereIsNoFile) {
    ASSERT_TRUE(writeMapping(entry(7, "Bass")));
    Platform withoutDirectory = sim.platform();
    withoutDirectory.applicationSupportDirectory.reset();
    const Platform* previous = Platform::install(&withoutDirectory);
    EXPECT_EQ(mappingFileURL(), std::nullopt);
    check();
    Platform::install(previous);
    EXPECT_EQ(unit->trackNr(), 0);
}

} // namespace
} // namespace vantrel::meter::test
