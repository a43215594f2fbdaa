#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "MeterTestBench.h"
#include "meter/common/audiounit/TrackMappingFile.h"

namespace vantrel::meter::test {
namespace {

using namespace platform;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct ContentCase {
    const char* name;
    friend void PrintTo(const ContentCase& c, std::ostream* out) { *out << c.name; }
    std::string content;
    std::optional<std::pair<int, std::string>> mapping; // for instance 3
};

class TrackMappingContent : public ::testing::TestWithParam<ContentCase> {};

TEST_P(TrackMappingContent, YieldsTheEntryOfInstance3OrNone) {
    const auto mapping = readTrackMapping(GetParam().content, 3);
    ASSERT_EQ(mapping.has_value(), GetParam().mapping.has_value());
    if (mapping) {
        EXPECT_EQ(mapping->trackNr, GetParam().mapping->first);
        EXPECT_EQ(mapping->trackName, GetParam().mapping->second);
    }
}

using Expected = std::optional<std::pair<int, std::string>>;

INSTANTIATE_TEST_SUITE_P(
    Contents, TrackMappingContent,
    ::testing::Values(
        ContentCase{"Entry", R"({"3": {"trackNr": 7, "trackName": "Bass"}})", Expected({7, "Bass"})},
        ContentCase{
            "OtherEntriesAndKeysIgnored",
            R"({"1": {"trackNr": 2}, "3": {"trackNr": 7, "trackName": "Bass", "colour": 4}, "x": {}})",
            Expected({7, "Bass"})},
        ContentCase{"Above127", R"({"3": {"trackNr": 200, "trackName": "Bass"}})", Expected({127, "Bass"})},
        ContentCase{"WholeFloat", R"({"3": {"trackNr": 7.0}})", Expected({7, ""})},
        ContentCase{"NoName", R"({"3": {"trackNr": 7}})", Expected({7, ""})},
        ContentCase{"NameNotText", R"({"3": {"trackNr": 7, "trackName": 12}})", Expected({7, ""})},
        // The unusable versions the file tests below do not already cover.
        ContentCase{"Empty", "", std::nullopt}, ContentCase{"TopLevelNumber", "3", std::nullopt},
        ContentCase{"KeyWithLeadingZero", R"({"03": {"trackNr": 7}})", std::nullopt},
        ContentCase{"TrackFraction", R"({"3": {"trackNr": 7.5}})", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// Through allocateRenderResources, which runs the check every time.
class MeterMappingFile : public MeterTestBench {
protected:
    void check() {
        unit->allocateRenderResources();
        unit->deallocateRenderResources();
    }
    std::vector<std::string> mappingLog() { return systemLog("[AudioMeter] Mapping"); }
    std::string readLine(int trackNr, const std::string& trackName) const {
        return "[AudioMeter] Mapping gelesen: instance " + std::to_string(unit->instanceID()) +
               " → trackNr=" + std::to_string(trackNr) + ", name='" + trackName + "'";
    }
    std::string entry(int trackNr, const std::string& trackName) const {
        return mappingFor(unit->instanceID(), trackNr, trackName);
    }

    std::shared_ptr<Unit> unit = createUnit();
};

TEST_F(MeterMappingFile, NoFileChangesNothing) {
    check();
    EXPECT_EQ(unit->trackNr(), 0);
    EXPECT_THAT(mappingLog(), IsEmpty());
}

TEST_F(MeterMappingFile, LiesInTolvaneUnderTheApplicationSupportDirectory) {
    EXPECT_EQ(mappingFileURL(), *sim.applicationSupportDirectory() / "Tolvane" / "audiometer_mapping.json");
}

TEST_F(MeterMappingFile, TakesUpItsEntryAndLogsIt) {
    writeMapping(entry(7, "Bass"));
    check();
    EXPECT_EQ(unit->trackNr(), 7);
    EXPECT_EQ(unit->trackName(), "Bass");
    EXPECT_THAT(mappingLog(), ElementsAre(readLine(7, "Bass")));
}

TEST_F(MeterMappingFile, AVersionWithoutANewerDateIsNotReadAgain) {
    writeMapping(entry(7, "Bass"));
    check();
    rewriteMappingKeepingDate(entry(8, "Keys"));
    check();
    EXPECT_EQ(unit->trackNr(), 7);
    EXPECT_THAT(mappingLog(), ElementsAre(readLine(7, "Bass")));
}

TEST_F(MeterMappingFile, TheSameContentWithANewerDateIsReadAndNothingIsLogged) {
    writeMapping(entry(7, "Bass"));
    check();
    writeMapping(entry(7, "Bass"));
    check();
    EXPECT_THAT(mappingLog(), ElementsAre(readLine(7, "Bass")));
    // Its date was taken up: a change under that same date is not read.
    rewriteMappingKeepingDate(entry(8, "Keys"));
    check();
    EXPECT_EQ(unit->trackNr(), 7);
}

TEST_F(MeterMappingFile, ANewerVersionReplacesTheTrack) {
    writeMapping(entry(7, "Bass"));
    check();
    writeMapping(entry(8, "Keys"));
    check();
    EXPECT_EQ(unit->trackNr(), 8);
    EXPECT_THAT(mappingLog(), ElementsAre(readLine(7, "Bass"), readLine(8, "Keys")));
}

TEST_F(MeterMappingFile, AnEntryWithoutANameEmptiesTheNameAndIsLogged) {
    unit->setFullState(Dictionary{{"qvTrackNr", 7}, {"qvTrackName", "Bass"}});
    writeMapping("{\"" + std::to_string(unit->instanceID()) + "\": {\"trackNr\": 7}}");
    check();
    EXPECT_EQ(unit->trackName(), "");
    EXPECT_THAT(mappingLog(), ElementsAre(readLine(7, "")));
}

TEST_F(MeterMappingFile, ANameIsLoggedUnchanged) {
    writeMapping(entry(200, "%s%n%@ \\\"Ü\\\" 🎸"));
    check();
    EXPECT_EQ(unit->trackNr(), 127);
    EXPECT_THAT(mappingLog(), ElementsAre(readLine(127, "%s%n%@ \"Ü\" 🎸")));
}

// Each unusable version is taken as seen: the same version is not read again, even once fixed in
// place, and only a newer one is taken up.
class MeterUnusableMapping : public MeterMappingFile, public ::testing::WithParamInterface<ContentCase> {};

TEST_P(MeterUnusableMapping, IsNeverReadAgainButANewerVersionIsTakenUp) {
    std::string content = GetParam().content;
    if (const auto at = content.find("\"3\""); at != std::string::npos)
        content.replace(at, 3, "\"" + std::to_string(unit->instanceID()) + "\"");
    writeMapping(content);
    check();
    EXPECT_EQ(unit->trackNr(), 0);

    rewriteMappingKeepingDate(entry(7, "Bass"));
    check();
    EXPECT_EQ(unit->trackNr(), 0);

    writeMapping(entry(7, "Bass"));
    check();
    EXPECT_EQ(unit->trackNr(), 7);
    EXPECT_THAT(mappingLog(), ElementsAre(readLine(7, "Bass")));
}

INSTANTIATE_TEST_SUITE_P(
    Versions, MeterUnusableMapping,
    ::testing::Values(ContentCase{"Broken", "{\"3\": {", std::nullopt},
                      ContentCase{"TopLevelNotAnObject", "[1, 2]", std::nullopt},
                      ContentCase{"ANumberBesideTheEntry", R"({"3": {"trackNr": 7}, "x": 1})", std::nullopt},
                      ContentCase{"NoEntry", R"({"200": {"trackNr": 7}})", std::nullopt},
                      ContentCase{"TrackZero", R"({"3": {"trackNr": 0}})", std::nullopt},
                      ContentCase{"TrackNegative", R"({"3": {"trackNr": -1}})", std::nullopt},
                      ContentCase{"TrackText", R"({"3": {"trackNr": "7"}})", std::nullopt},
                      ContentCase{"TrackMissing", R"({"3": {"trackName": "Bass"}})", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MeterMappingFile, AnUnreadableFileChangesNothing) {
    std::filesystem::create_directories(mappingPath()); // exists, but cannot be read as a file
    check();
    EXPECT_EQ(unit->trackNr(), 0);
    std::filesystem::remove(mappingPath());
    writeMapping(entry(7, "Bass"));
    check();
    EXPECT_EQ(unit->trackNr(), 7);
}

TEST_F(MeterMappingFile, WithoutAnApplicationSupportDirectoryThereIsNoFile) {
    writeMapping(entry(7, "Bass"));
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
