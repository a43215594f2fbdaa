// A restore key by key, in the cases the saved-state scenario leaves out.

#include <gmock/gmock.h>

#include "MonitorTestBench.h"

namespace vantrel::monitor::test {
namespace {

struct RestoreCase {
    std::string name;
    platform::Value state;
    std::optional<std::uint32_t> uniqueID; // none: the random one stays
    bool connected;
    std::string trackName;
};

class FullStateRestoreTest : public MonitorTestBench, public ::testing::WithParamInterface<RestoreCase> {};

// Starts from a connected instance on track "Before", past its start decision.
TEST_P(FullStateRestoreTest, TakesEachWellTypedKeyAndAnnouncesOnlyATakenIdentity) {
    receiver.up();
    const auto unit = createUnit();
    connect(*unit, "Before");
    advanceTo(ms(300));
    const std::uint32_t random = unit->uniqueID();
    sent.clear();
    unit->setFullState(GetParam().state);
    EXPECT_EQ(unit->uniqueID(), GetParam().uniqueID.value_or(random));
    EXPECT_EQ(unit->isConnected(), GetParam().connected);
    EXPECT_EQ(unit->connectedTrackName(), GetParam().trackName);
    EXPECT_EQ(heartbeatTimes().size(), GetParam().uniqueID ? 1u : 0u);
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
        RestoreCase{"ConnectedAsText", {{"qvUniqueID", 7}, {"qvConnected", "no"}}, 7, true, "Before"},
        RestoreCase{"ConnectedAsNumber", {{"qvConnected", 0}}, std::nullopt, false, "Before"},
        RestoreCase{"IdentityWrapsLikeThePlatform", {{"qvUniqueID", 4294967296.0 + 5}}, 5, true, "Before"},
        RestoreCase{"NotADictionary", platform::Value::array({1, 2}), std::nullopt, true, "Before"}),
    [](const auto& info) { return info.param.name; });

TEST_F(MonitorTestBench, ARestoredConnectionReportsAtOnceWithoutARequest) {
    receiver.up();
    const auto unit = createRenderingUnit();
    unit->setFullState(platform::Dictionary{{"qvUniqueID", 99}, {"qvConnected", true}});
    EventList events;
    events.midi({0xB3, 0x01, 0x40});
    render(unit->internalRenderBlock(), events.head());
    advanceTo(ms(500));
    EXPECT_EQ(reportedEvents(), (std::vector<Bytes>{{0xB3, 0x01, 0x40}}));
    EXPECT_TRUE(messages(Kind::connectRequest).empty());
}

} // namespace
} // namespace vantrel::monitor::test
