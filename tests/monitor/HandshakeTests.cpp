// Connect and disconnect requests: where they go, and what a failed one leaves.

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

TEST_F(HandshakeTest, ARequestLooksForTheDestinationWhenNoneIsKnown) {
    const auto unit = createUnit();
    receiver.up(); // its setup notification has not been delivered yet
    unit->sendConnectRequest(1);
    EXPECT_EQ(messages(Kind::connectRequest).size(), 1u);
}

TEST_F(HandshakeTest, ADestinationThatNoLongerCarriesTheReceiversIdentityGetsNoRequest) {
    receiver.up();
    const auto unit = createUnit();
    platform::MIDIObjectSetIntegerProperty(receiver.destination(), platform::kMIDIPropertyUniqueID,
                                           0x11111111);
    unit->sendConnectRequest(1);
    sim.midi().setUniqueIDUnreadable(receiver.destination(), true);
    unit->sendConnectRequest(2);
    EXPECT_THAT(sent, IsEmpty());
    EXPECT_THAT(handshakeLog(), ElementsAre("⚠️ sendConnectRequest: keine Destination",
                                            "⚠️ sendConnectRequest: keine Destination"));
    // The handle stays: the immediate Heartbeat still goes there.
    advanceTo(ms(300));
    EXPECT_EQ(heartbeatTimes(), std::vector{ms(300)});
}

TEST_F(HandshakeTest, AFailedRequestForgetsTheDestinationAndIsNotRepeated) {
    receiver.up();
    const auto unit = createUnit();
    sim.midi().failNextSends(1, platform::kMIDIUnknownError);
    unit->sendConnectRequest(2);
    EXPECT_THAT(handshakeLog(), ElementsAre("Connect request failed (err=-10845), will retry"));
    advanceTo(ms(1500));
    EXPECT_THAT(messages(Kind::disconnectRequest), IsEmpty());
    // Found again silently by the first tick; the 300 ms Heartbeat had no destination to go to.
    EXPECT_EQ(heartbeatTimes(), std::vector{ms(1490)});
}

} // namespace
} // namespace vantrel::monitor::test
