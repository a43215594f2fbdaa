// What the scenario traces do not show of the receiver's core: its table of instances, track
// names handed out from a list, peak messages taken without allocating, and a mapping file left
// from an earlier run. The destination, the answers and the mapping writes show in every trace.
#include <gtest/gtest.h>

#include <chrono>

#include "receiver/Receiver.h"
#include "platform/notify/NotificationCenter.h"
#include "platform/sim/SimulatedPlatform.h"
#include "protocol/ReceiverMessages.h"
#include "protocol/WireSender.h"
#include "rtguard/RealtimeGuard.h"

namespace vantrel::receiver {
namespace {

class ReceiverCore : public testing::Test {
protected:
    ReceiverCore() {
        platform::MIDIClientCreateWithBlock("Plug-in", &client, {});
        platform::MIDIOutputPortCreate(client, "Plug-in Out", &port);
        platform.notifications().setPostListener(
            [this](const platform::Notification& notification) { posted.push_back(notification); });
    }
    ~ReceiverCore() override { platform.notifications().setPostListener(nullptr); }

    void send(std::span<const std::uint8_t> bytes) {
        protocol::sendMessage(port, receiver.destination(), bytes, platform::MIDISend);
    }
    void sendMonitorMessage(std::uint32_t uid, std::uint8_t type) {
        send(protocol::makeMonitorMessage(uid, type));
    }

    platform::SimulatedPlatform platform;
    Receiver receiver{*platform.applicationSupportDirectory()};
    platform::MIDIClientRef client = 0;
    platform::MIDIPortRef port = 0;
    std::vector<platform::Notification> posted;
};

TEST_F(ReceiverCore, NamesEachInstanceOnceFromItsTrackList) {
    receiver.up();
    receiver.setAutoConnect({"Strings", "Brass"});
    sendMonitorMessage(1, protocol::connectRequestType);
    sendMonitorMessage(2, protocol::connectRequestType);
    sendMonitorMessage(3, protocol::connectRequestType);
    sendMonitorMessage(1, protocol::connectRequestType);
    platform.runDue();
    ASSERT_EQ(posted.size(), 4u);
    EXPECT_EQ(posted[0].userInfo->at("trackName"), "Strings");
    EXPECT_EQ(posted[1].userInfo->at("trackName"), "Brass");
    EXPECT_EQ(posted[2].userInfo->at("trackName"), "Brass"); // the last name repeats
    EXPECT_EQ(posted[3].userInfo->at("trackName"), "Strings");
}

TEST_F(ReceiverCore, KeepsWhatEachInstanceReported) {
    receiver.up();
    sendMonitorMessage(42, protocol::heartbeatType);
    sendMonitorMessage(42, protocol::heartbeatType);
    const protocol::InstanceTag tag = protocol::makeInstanceTag(42);
    protocol::EventReport report{tag,
                                 *protocol::makeEventBytes(std::array<std::uint8_t, 3>{0xB0, 0x07, 0x64})};
    protocol::sendEventReport(port, receiver.destination(), report, platform::MIDISend);
    report.event = *protocol::makeEventBytes(std::array<std::uint8_t, 3>{0xB0, 0x07, 0x65});
    protocol::sendEventReport(port, receiver.destination(), report, platform::MIDISend);
    report.event = *protocol::makeEventBytes(std::array<std::uint8_t, 2>{0xD5, 0x30});
    protocol::sendEventReport(port, receiver.destination(), report, platform::MIDISend);
    send(std::array<std::uint8_t, 3>{0x90, 0x3C, 0x64}); // not a message of the protocol

    const auto monitors = receiver.monitors();
    ASSERT_EQ(monitors.size(), 1u);
    EXPECT_EQ(monitors[0].uid, 42u);
    EXPECT_EQ(monitors[0].heartbeats, 2u);
    EXPECT_EQ(monitors[0].events, 3u);
    ASSERT_EQ(monitors[0].lastEvents.size(), 2u);
    EXPECT_EQ(monitors[0].lastEvents.begin()->second, (std::vector<std::uint8_t>{0xB0, 0x07, 0x65}));
    EXPECT_EQ(receiver.unknownMessages(), 1u);
}

TEST_F(ReceiverCore, TakesPeakMessagesWithoutAllocating) {
    receiver.up();
    const auto message = protocol::makePeakMeterMessage(3, 7, 127, 12);
    {
        platform_test::RealtimeGuard guard;
        send(message);
        if (platform_test::RealtimeGuard::available()) {
            EXPECT_EQ(guard.allocations(), 0);
            EXPECT_EQ(guard.frees(), 0);
        }
    }
    const auto meters = receiver.meters();
    ASSERT_EQ(meters.size(), 1u);
    EXPECT_EQ(meters[0].instanceID, 3);
    EXPECT_EQ(meters[0].trackNr, 7);
    EXPECT_EQ(meters[0].peakL, 127);
    EXPECT_EQ(meters[0].peakR, 12);
    EXPECT_EQ(meters[0].messages, 1u);
}

TEST_F(ReceiverCore, AFileLeftFromBeforeCountsAsWrittenBefore) {
    const auto path = mappingFilePath(*platform.applicationSupportDirectory());
    const auto future = platform::FileTime::clock::now() + std::chrono::hours(1);
    ASSERT_TRUE(platform::writeFile(path, "{}", future));
    MappingFileWriter writer(*platform.applicationSupportDirectory());
    ASSERT_TRUE(writer.write("{}"));
    EXPECT_GT(*platform::modificationDate(path), future);
}

} // namespace
} // namespace vantrel::receiver
