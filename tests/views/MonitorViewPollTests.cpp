// The monitor view over time: the appearance step, the 0.1 s poll, the buttons' status line and an
// instance that goes away.

#include <gmock/gmock.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "MonitorViewTestBench.h"
#include "platform/ui/TextRendering.h"

namespace vantrel::monitor::test {
namespace {

using ::testing::ElementsAre;

class MonitorViewPoll : public MonitorViewTestBench {
protected:
    void pressAndDeliver(const std::string& label) {
        ASSERT_TRUE(press(label)) << label;
        sim.runDue();
    }
    // The connect area's lines from the button to the identity.
    std::vector<std::string> underTheButton() const {
        const std::vector<std::string> all = texts(shown());
        const auto button = std::ranges::find(all, "Connect to selected track");
        return button == all.end() ? std::vector<std::string>{}
                                   : std::vector<std::string>(button + 1, all.end());
    }
    std::string hexID() const {
        char buffer[9];
        std::snprintf(buffer, sizeof buffer, "%08X", static_cast<unsigned>(unit->uniqueID()));
        return buffer;
    }
};

TEST_F(MonitorViewPoll, ConnectShowsConnectingUntilThePollSeesTheConnection) {
    open();
    pressAndDeliver("Connect to selected track");
    EXPECT_EQ(messages(Kind::connectRequest).size(), 1u);
    EXPECT_EQ(messages(Kind::connectRequest).at(0).message.uid, unit->uniqueID());
    EXPECT_THAT(underTheButton(), ElementsAre("Connecting...", "ID: " + hexID()));
    const ui::Node tree = shown();
    const ui::Node* status = findText(tree, "Connecting...");
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->modifiers.font, ui::Font::system(10));
    EXPECT_EQ(status->modifiers.foreground, ui::Color::secondary());

    connect(*unit, "Strings");
    EXPECT_THAT(underTheButton(), ElementsAre("Connecting...", "ID: " + hexID())); // until the poll
    poll();
    EXPECT_TRUE(view->state().statusText.empty());
    EXPECT_TRUE(shows(ui::NodeKind::scrollView));
    EXPECT_FALSE(shows("Connect to selected track"));

    pressAndDeliver("Disconnect");
    EXPECT_EQ(messages(Kind::disconnectRequest).size(), 1u);
    EXPECT_EQ(view->state().statusText, "Disconnecting...");
    post("com.marlek.vantrel.disconnect", platform::Dictionary{{"uid", unit->uniqueID()}});
    poll();
    EXPECT_THAT(underTheButton(), ElementsAre("ID: " + hexID()));
}

TEST_F(MonitorViewPoll, AnUnansweredConnectKeepsConnectingAndPressingAgainSendsAgain) {
    open();
    pressAndDeliver("Connect to selected track");
    sim.advance(platform::seconds(5));
    EXPECT_THAT(underTheButton(), ElementsAre("Connecting...", "ID: " + hexID()));
    pressAndDeliver("Connect to selected track");
    EXPECT_EQ(messages(Kind::connectRequest).size(), 2u);
    EXPECT_THAT(underTheButton(), ElementsAre("Connecting...", "ID: " + hexID()));
}

TEST_F(MonitorViewPoll, WithTheInstanceGoneTheViewKeepsItsLastState) {
    connect(*unit, "Strings");
    postArticulations({"Legato", "Pizz"}, {24, 25});
    open();
    play({0xB0, 0x07, 0x64});
    play({0x90, 0x19, 0x50});
    poll();
    const std::vector<std::string> before = shownLines();
    const std::size_t sent = sendCount();

    unit.reset();
    sim.advance(platform::seconds(1));
    EXPECT_EQ(shownLines(), before);

    pressAndDeliver("Disconnect");
    EXPECT_EQ(view->state().statusText, "Disconnecting...");
    EXPECT_EQ(sendCount(), sent);
    EXPECT_TRUE(view->state().isConnected);
}

TEST_F(MonitorViewPoll, AppearingWithTheInstanceGoneShowsNoIdentityAndNoConnection) {
    connect(*unit, "Strings");
    open();
    unit.reset();
    close();
    open();
    const ui::Node bar = view->statusBar();
    EXPECT_EQ(bar.children[0].modifiers.fill, ui::Fill(ui::Color::orange()));
    EXPECT_THAT(texts(bar), ElementsAre("Not connected", "00000000", "v3.7.5"));
    EXPECT_TRUE(shows("ID: 00000000"));
    EXPECT_TRUE(press("Connect to selected track"));
    EXPECT_EQ(view->state().statusText, "Connecting...");
}

TEST_F(MonitorViewPoll, TheIdentityIsCopiedOnlyWhenTheViewAppears) {
    ASSERT_NE(unit->uniqueID(), 42u);
    const std::string first = hexID();
    open();
    unit->setFullState(platform::Dictionary{{"qvUniqueID", 42}});
    ASSERT_EQ(unit->uniqueID(), 42u);
    sim.advance(platform::seconds(1));
    EXPECT_THAT(texts(view->statusBar()), ElementsAre("Not connected", first, "v3.7.5"));
    EXPECT_TRUE(shows("ID: " + first));

    close();
    open();
    EXPECT_THAT(texts(view->statusBar()), ElementsAre("Not connected", "0000002A", "v3.7.5"));
    EXPECT_TRUE(shows("ID: 0000002A"));
}

TEST_F(MonitorViewPoll, TheAppearanceStepLeavesTheMonitorValuesToTheFirstPoll) {
    connect(*unit, "Strings");
    postArticulations({"Legato"}, {24});
    play({0xB0, 0x01, 0x40});
    open();
    EXPECT_TRUE(view->state().isConnected);
    EXPECT_EQ(view->state().articulationNames, std::vector<std::string>{"Legato"});
    EXPECT_TRUE(view->state().articulationNotes.empty());
    EXPECT_TRUE(view->state().ccValues.empty());
    poll();
    EXPECT_EQ(view->state().articulationNotes, std::vector<std::int64_t>{24});
    EXPECT_EQ(view->state().ccValues, (std::map<int, int>{{1, 0x40}}));
}

TEST_F(MonitorViewPoll, ThePollRunsEveryTenthOfASecondOnlyWhileShown) {
    connect(*unit, "Strings");
    open();
    play({0xB0, 0x01, 0x40});
    sim.advance(ms(99));
    EXPECT_TRUE(view->state().ccValues.empty());
    sim.advance(ms(1));
    EXPECT_EQ(view->state().ccValues, (std::map<int, int>{{1, 0x40}}));
    play({0xB0, 0x01, 0x41});
    sim.advance(ms(100));
    EXPECT_EQ(view->state().ccValues, (std::map<int, int>{{1, 0x41}}));

    close();
    play({0xB0, 0x01, 0x42});
    post("com.marlek.vantrel.disconnect", platform::Dictionary{{"uid", unit->uniqueID()}});
    sim.advance(platform::seconds(1));
    EXPECT_EQ(view->state().ccValues, (std::map<int, int>{{1, 0x41}}));
    EXPECT_TRUE(view->state().isConnected);

    open();
    EXPECT_FALSE(view->state().isConnected); // the appearance step
    sim.advance(ms(100));
    EXPECT_EQ(view->state().ccValues, (std::map<int, int>{{1, 0x42}}));
}

TEST_F(MonitorViewPoll, ThePollCopiesTheMonitorValuesUnderTheMonitorLock) {
    open();
    std::atomic<bool> started{false};
    std::atomic<bool> polled{false};
    std::unique_lock held(unit->monitorLock());
    std::thread poller([&] {
        started = true;
        view->updateMonitorData();
        polled = true;
    });
    while (!started)
        std::this_thread::yield();
    // A poll that skipped the lock would finish within these turns; one that takes it cannot.
    for (int turn = 0; turn < 100 && !polled; ++turn)
        std::this_thread::yield();
    EXPECT_FALSE(polled);
    held.unlock();
    poller.join();
    EXPECT_TRUE(polled);
}

TEST_F(MonitorViewPoll, AViewDestroyedWhileItsPollRunsStopsThePoll) {
    auto shownAlone = std::make_shared<VantrelExtensionMainView>(nullptr, unit);
    shownAlone->onAppear();
    sim.advance(ms(100));
    shownAlone.reset();
    sim.advance(platform::seconds(1)); // a tick reaching the freed view would be caught here
}

} // namespace
} // namespace vantrel::monitor::test
