// Connect and disconnect requests, and the receiver's three notifications.

#include <gmock/gmock.h>

#include "MonitorTestBench.h"

namespace vantrel::monitor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class HandshakeTest : public MonitorTestBench {
protected:
    std::vector<std::string> handshakeLog() const {
        auto lines = monitorLog();
        std::erase_if(lines, [](const std::string& line) { return line.starts_with("Plugin 3.7.5 loaded"); });
        return lines;
    }
};

TEST_F(HandshakeTest, EachPressSendsItsRequestWithTheMarkerAsType) {
    addDestination();
    const auto unit = createUnit();
    unit->sendConnectRequest(1);
    unit->sendConnectRequest(1);
    unit->sendConnectRequest(2);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0].message.kind, Kind::connectRequest);
    EXPECT_EQ(received[1].message.kind, Kind::connectRequest);
    EXPECT_EQ(received[2].message.kind, Kind::disconnectRequest);
    const protocol::MonitorMessage request = protocol::makeMonitorMessage(unit->uniqueID(), 1);
    EXPECT_EQ(received[0].message.bytes, Bytes(request.begin(), request.end()));
    const std::string sent = "Connect request sent, uid=" + std::to_string(unit->uniqueID());
    EXPECT_THAT(handshakeLog(), ElementsAre(sent, sent, sent));
    EXPECT_FALSE(unit->isConnected()); // only the receiver's answer connects
}

TEST_F(HandshakeTest, ARequestLooksForTheDestinationWhenNoneIsKnown) {
    const auto unit = createUnit();
    addDestination(); // its setup notification has not been delivered yet
    unit->sendConnectRequest(1);
    EXPECT_EQ(messages(Kind::connectRequest).size(), 1u);
}

TEST_F(HandshakeTest, ADestinationThatNoLongerCarriesTheReceiversIdentityGetsNoRequest) {
    const platform::MIDIEndpointRef destination = addDestination();
    const auto unit = createUnit();
    platform::MIDIObjectSetIntegerProperty(destination, platform::kMIDIPropertyUniqueID, 0x11111111);
    unit->sendConnectRequest(1);
    sim.midi().setUniqueIDUnreadable(destination, true);
    unit->sendConnectRequest(2);
    EXPECT_EQ(sendCount(), 0u);
    EXPECT_THAT(handshakeLog(), ElementsAre("⚠️ sendConnectRequest: keine Destination",
                                            "⚠️ sendConnectRequest: keine Destination"));
    // The handle stays: the immediate Heartbeat still goes there.
    advanceTo(ms(300));
    EXPECT_EQ(heartbeatTimes(), std::vector{ms(300)});
}

TEST_F(HandshakeTest, AFailedRequestForgetsTheDestinationAndIsNotRepeated) {
    addDestination();
    const auto unit = createUnit();
    sim.midi().failNextSends(1, platform::kMIDIUnknownError);
    unit->sendConnectRequest(2);
    EXPECT_THAT(handshakeLog(), ElementsAre("Connect request failed (err=-10845), will retry"));
    advanceTo(ms(600));
    EXPECT_THAT(messages(Kind::disconnectRequest), IsEmpty());
    EXPECT_EQ(heartbeatTimes(), std::vector<platform::TimePoint>{});
    advanceTo(ms(1500));
    // Found again silently by the first tick; the 300 ms Heartbeat had no destination to go to.
    EXPECT_EQ(heartbeatTimes(), std::vector{ms(1490)});
}

struct NotificationCase {
    std::string name;
    std::string notification;
    // Builds the payload for an instance whose identity is `uid`.
    std::function<std::optional<platform::Dictionary>(std::uint32_t uid)> userInfo;
    bool connected;
    std::string trackName;
    std::vector<std::string> articulationNames;
    std::vector<std::int64_t> articulationNotes;
    std::string logLine; // "{uid}" stands for the identity; empty: nothing logged
};

// Every case starts from a connected instance on track "Before" with the articulations
// ["Legato"] on note 24.
class NotificationTest : public MonitorTestBench, public ::testing::WithParamInterface<NotificationCase> {};

TEST_P(NotificationTest, TakesWhatFitsAndIgnoresTheRest) {
    const auto unit = createUnit();
    connect(*unit, "Before");
    post("com.marlek.vantrel.articulations", platform::Dictionary{{"names", {"Legato"}}, {"notes", {24}}});
    sim.log().clear();

    const std::uint32_t uid = unit->uniqueID();
    post(GetParam().notification, GetParam().userInfo(uid));
    EXPECT_EQ(unit->isConnected(), GetParam().connected);
    EXPECT_EQ(unit->connectedTrackName(), GetParam().trackName);
    EXPECT_EQ(unit->articulationNames(), GetParam().articulationNames);
    EXPECT_EQ(unit->articulationNotes(), GetParam().articulationNotes);
    std::string expected = GetParam().logLine;
    if (const auto at = expected.find("{uid}"); at != std::string::npos)
        expected.replace(at, 5, std::to_string(uid));
    EXPECT_EQ(monitorLog(), expected.empty() ? std::vector<std::string>{} : std::vector{expected});
}

const std::vector<std::string> before{"Legato"};
const std::vector<std::int64_t> beforeNotes{24};

using Info = std::optional<platform::Dictionary>;

INSTANTIATE_TEST_SUITE_P(
    Payloads, NotificationTest,
    ::testing::Values(
        NotificationCase{"ConnectWithName", "com.marlek.vantrel.connect",
                         [](std::uint32_t uid) {
                             return Info{{{"uid", uid}, {"trackName", "Violins"}}};
                         },
                         true, "Violins", before, beforeNotes, "✅ Plugin verbunden → 'Violins' (uid={uid})"},
        NotificationCase{"ConnectWithNameOfWrongType", "com.marlek.vantrel.connect",
                         [](std::uint32_t uid) {
                             return Info{{{"uid", uid}, {"trackName", 12}}};
                         },
                         true, "", before, beforeNotes, "✅ Plugin verbunden → '' (uid={uid})"},
        NotificationCase{"ConnectWithoutName", "com.marlek.vantrel.connect",
                         [](std::uint32_t uid) {
                             return Info{{{"uid", uid}}};
                         },
                         true, "", before, beforeNotes, "✅ Plugin verbunden → '' (uid={uid})"},
        NotificationCase{"ConnectForAnotherInstance", "com.marlek.vantrel.connect",
                         [](std::uint32_t uid) {
                             return Info{{{"uid", uid + 1}, {"trackName", "Other"}}};
                         },
                         true, "Before", before, beforeNotes, ""},
        NotificationCase{"ConnectWithIdentityAsText", "com.marlek.vantrel.connect",
                         [](std::uint32_t uid) {
                             return Info{{{"uid", std::to_string(uid)}, {"trackName", "X"}}};
                         },
                         true, "Before", before, beforeNotes, ""},
        NotificationCase{"ConnectWithoutUserInfo", "com.marlek.vantrel.connect",
                         [](std::uint32_t) { return Info{}; }, true, "Before", before, beforeNotes, ""},
        NotificationCase{"Disconnect", "com.marlek.vantrel.disconnect",
                         [](std::uint32_t uid) {
                             return Info{{{"uid", uid}}};
                         },
                         false, "Before", before, beforeNotes, "⏸️ Plugin getrennt (uid={uid})"},
        NotificationCase{"DisconnectForAnotherInstance", "com.marlek.vantrel.disconnect",
                         [](std::uint32_t uid) {
                             return Info{{{"uid", uid ^ 0x80000000u}}};
                         },
                         true, "Before", before, beforeNotes, ""},
        NotificationCase{"DisconnectWithoutIdentity", "com.marlek.vantrel.disconnect",
                         [](std::uint32_t) {
                             return Info{{{"trackName", "Before"}}};
                         },
                         true, "Before", before, beforeNotes, ""},
        NotificationCase{
            "Articulations",
            "com.marlek.vantrel.articulations",
            [](std::uint32_t) {
                return Info{{{"names", {"Sustain", "Staccato", "Pizzicato"}}, {"notes", {25, 26, 27}}}};
            },
            true,
            "Before",
            {"Sustain", "Staccato", "Pizzicato"},
            {25, 26, 27},
            "🎻 3 Artikulations-Namen empfangen (notes: [25, 26, 27]...)"},
        NotificationCase{"ArticulationsListFirstFiveNotes",
                         "com.marlek.vantrel.articulations",
                         [](std::uint32_t) {
                             return Info{{{"names", {"A"}}, {"notes", {1, 2, 3, 4, 5, 6, 7}}}};
                         },
                         true,
                         "Before",
                         {"A"},
                         {1, 2, 3, 4, 5, 6, 7},
                         "🎻 1 Artikulations-Namen empfangen (notes: [1, 2, 3, 4, 5]...)"},
        NotificationCase{"ArticulationsWithoutNotesKeepTheOldOnes",
                         "com.marlek.vantrel.articulations",
                         [](std::uint32_t) {
                             return Info{{{"names", {"Spiccato", "Tremolo"}}}};
                         },
                         true,
                         "Before",
                         {"Spiccato", "Tremolo"},
                         beforeNotes,
                         "🎻 2 Artikulations-Namen empfangen (notes: [24]...)"},
        NotificationCase{"ArticulationsWithNotesOfWrongType",
                         "com.marlek.vantrel.articulations",
                         [](std::uint32_t) {
                             return Info{{{"names", {"Col legno"}}, {"notes", {30, "31"}}}};
                         },
                         true,
                         "Before",
                         {"Col legno"},
                         beforeNotes,
                         "🎻 1 Artikulations-Namen empfangen (notes: [24]...)"},
        NotificationCase{"ArticulationsWithNamesOfWrongType", "com.marlek.vantrel.articulations",
                         [](std::uint32_t) {
                             return Info{{{"names", {"Legato", 2}}, {"notes", {40}}}};
                         },
                         true, "Before", before, beforeNotes, ""},
        NotificationCase{"ArticulationsWithoutNames", "com.marlek.vantrel.articulations",
                         [](std::uint32_t) {
                             return Info{{{"notes", {40}}}};
                         },
                         true, "Before", before, beforeNotes, ""},
        NotificationCase{
            "ArticulationsEmpty",
            "com.marlek.vantrel.articulations",
            [](std::uint32_t) {
                return Info{{{"names", platform::Value::array()}, {"notes", platform::Value::array()}}};
            },
            true,
            "Before",
            {},
            {},
            "🎻 0 Artikulations-Namen empfangen (notes: []...)"}),
    [](const auto& info) { return info.param.name; });

TEST_F(HandshakeTest, ArticulationsReachEveryInstanceConnectedOrNot) {
    const auto connected = createUnit();
    const auto idle = createUnit();
    connect(*connected);
    post("com.marlek.vantrel.articulations",
         platform::Dictionary{{"names", {"Legato", "Marcato"}}, {"notes", {36, 37}}});
    for (const auto& unit : {connected, idle}) {
        EXPECT_EQ(unit->articulationNames(), (std::vector<std::string>{"Legato", "Marcato"}));
        EXPECT_EQ(unit->articulationNotes(), (std::vector<std::int64_t>{36, 37}));
    }
    EXPECT_FALSE(idle->isConnected());
}

TEST_F(HandshakeTest, LosingTheDestinationDoesNotDisconnect) {
    const platform::MIDIEndpointRef destination = addDestination();
    const auto unit = createUnit();
    connect(*unit);
    platform::MIDIEndpointDispose(destination);
    advanceTo(ms(3000));
    EXPECT_TRUE(unit->isConnected());
}

} // namespace
} // namespace vantrel::monitor::test
