// The host-saved state: what is written, what a restore takes key by key, and the restore line.

#include <gmock/gmock.h>

#include "MonitorTestBench.h"

namespace vantrel::monitor::test {
namespace {

using ::testing::ElementsAre;

class FullStateTest : public MonitorTestBench {};

TEST_F(FullStateTest, SavingAndReloadingKeepsIdentityConnectionAndTrackName) {
    const auto saved = [&] {
        const auto unit = createUnit();
        connect(*unit, "Celli");
        return std::pair{unit->uniqueID(), unit->fullState()};
    }();
    ASSERT_TRUE(saved.second);
    EXPECT_EQ((*saved.second)["type"], platform::kAudioUnitType_MIDIProcessor);
    EXPECT_EQ((*saved.second)["qvUniqueID"], saved.first);
    EXPECT_EQ((*saved.second)["qvConnected"], true);
    EXPECT_EQ((*saved.second)["qvTrackName"], "Celli");

    const auto reloaded = createUnit();
    reloaded->setFullState(saved.second);
    EXPECT_EQ(reloaded->uniqueID(), saved.first);
    EXPECT_TRUE(reloaded->isConnected());
    EXPECT_EQ(reloaded->connectedTrackName(), "Celli");
    EXPECT_EQ(monitorLog().back(), "fullState restore: uid=" + std::to_string(saved.first) +
                                       ", connected=true, track='Celli') → Heartbeat sofort aktiv");
}

TEST_F(FullStateTest, AnEmptyTrackNameIsNotWrittenAndTheBaseValueStays) {
    const auto unit = createUnit();
    EXPECT_FALSE(unit->fullState()->contains("qvTrackName"));
    EXPECT_EQ((*unit->fullState())["qvConnected"], false);
}

TEST_F(FullStateTest, AnAbsentStateOnlyLogsTheRestoreLine) {
    addDestination();
    const auto unit = createUnit();
    connect(*unit, "Horns");
    const std::uint32_t uid = unit->uniqueID();
    unit->setFullState(std::nullopt);
    EXPECT_EQ(sendCount(), 0u);
    EXPECT_EQ(unit->uniqueID(), uid);
    EXPECT_EQ(monitorLog().back(), "fullState restore: uid=" + std::to_string(uid) +
                                       ", connected=true, track='Horns') → Heartbeat sofort aktiv");
    advanceTo(ms(300));
    EXPECT_EQ(heartbeatTimes(), std::vector{ms(300)});
}

struct RestoreCase {
    std::string name;
    platform::Dictionary state;
    std::optional<std::uint32_t> uniqueID; // none: the random one stays
    bool connected;
    std::string trackName;
};

class FullStateRestoreTest : public MonitorTestBench, public ::testing::WithParamInterface<RestoreCase> {};

// Starts from a connected instance on track "Before".
TEST_P(FullStateRestoreTest, TakesEachWellTypedKeyAndIgnoresTheRest) {
    addDestination();
    const auto unit = createUnit();
    connect(*unit, "Before");
    const std::uint32_t random = unit->uniqueID();
    unit->setFullState(GetParam().state);
    const std::uint32_t expected = GetParam().uniqueID.value_or(random);
    EXPECT_EQ(unit->uniqueID(), expected);
    EXPECT_EQ(unit->isConnected(), GetParam().connected);
    EXPECT_EQ(unit->connectedTrackName(), GetParam().trackName);
    // Only a taken identity is announced at once.
    EXPECT_EQ(heartbeatTimes().size(), GetParam().uniqueID ? 1u : 0u);
    EXPECT_EQ(monitorLog().back(), "fullState restore: uid=" + std::to_string(expected) +
                                       ", connected=" + (GetParam().connected ? "true" : "false") +
                                       ", track='" + GetParam().trackName + "') → Heartbeat sofort aktiv");
}

INSTANTIATE_TEST_SUITE_P(
    KeyByKey, FullStateRestoreTest,
    ::testing::Values(
        RestoreCase{"AllKeys",
                    {{"qvUniqueID", 7}, {"qvConnected", false}, {"qvTrackName", "After"}},
                    7,
                    false,
                    "After"},
        RestoreCase{"NoKeys", platform::Dictionary::object(), std::nullopt, true, "Before"},
        RestoreCase{
            "ZeroIdentity", {{"qvUniqueID", 0}, {"qvTrackName", "After"}}, std::nullopt, true, "After"},
        RestoreCase{
            "IdentityAsText", {{"qvUniqueID", "7"}, {"qvConnected", false}}, std::nullopt, false, "Before"},
        RestoreCase{"ConnectedAsText", {{"qvUniqueID", 7}, {"qvConnected", "no"}}, 7, true, "Before"},
        RestoreCase{"ConnectedAsNumber", {{"qvConnected", 0}}, std::nullopt, false, "Before"},
        RestoreCase{
            "TrackNameAsNumber", {{"qvTrackName", 3}, {"qvConnected", false}}, std::nullopt, false, "Before"},
        RestoreCase{"EmptyTrackName", {{"qvTrackName", ""}}, std::nullopt, true, ""},
        RestoreCase{"IdentityWrapsLikeThePlatform", {{"qvUniqueID", 4294967296.0 + 5}}, 5, true, "Before"},
        RestoreCase{"NotADictionary", platform::Value::array({1, 2}), std::nullopt, true, "Before"}),
    [](const auto& info) { return info.param.name; });

TEST_F(FullStateTest, ARestoredConnectionReportsAtOnceWithoutARequest) {
    addDestination();
    const auto unit = createRenderingUnit();
    unit->setFullState(platform::Dictionary{{"qvUniqueID", 99}, {"qvConnected", true}});
    EventList events;
    events.midi({0xB3, 0x01, 0x40});
    render(unit->internalRenderBlock(), events.head());
    advanceTo(ms(500));
    EXPECT_THAT(reportedEvents(), ElementsAre(Bytes{0xB3, 0x01, 0x40}));
    EXPECT_EQ(messages(Kind::connectRequest).size(), 0u);
}

} // namespace
} // namespace vantrel::monitor::test
