#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/notify/NotificationCenter.h"
#include "platform/sim/SimulatedPlatform.h"

using namespace platform;

namespace {

class NotificationCenterTest : public ::testing::Test {
protected:
    // Records "observer:name:userInfo" for every delivery.
    NotificationCenter::Block recorder(const std::string& observer) {
        return [this, observer](const Notification& notification) {
            deliveries.push_back(observer + ":" + notification.name + ":" +
                                 (notification.userInfo ? notification.userInfo->dump() : "none"));
        };
    }

    SimulatedPlatform sim;
    NotificationCenter& center = NotificationCenter::defaultCenter();
    std::vector<std::string> deliveries;
};

TEST_F(NotificationCenterTest, BlocksRunOnlyWhenTheirQueueRuns) {
    center.addObserver("com.marlek.vantrel.connect", DispatchQueue::main(), recorder("a"));
    center.post("com.marlek.vantrel.connect", Dictionary{{"uid", 7}});
    EXPECT_TRUE(deliveries.empty());
    sim.runDue();
    EXPECT_EQ(deliveries, std::vector<std::string>{"a:com.marlek.vantrel.connect:{\"uid\":7}"});
}

TEST_F(NotificationCenterTest, OnlyMatchingNamesAreDeliveredAndAnEmptyNameHearsAll) {
    center.addObserver("connect", DispatchQueue::main(), recorder("named"));
    center.addObserver("", DispatchQueue::main(), recorder("all"));
    center.post("connect");
    center.post("disconnect");
    sim.runDue();
    EXPECT_EQ(deliveries,
              (std::vector<std::string>{"named:connect:none", "all:connect:none", "all:disconnect:none"}));
}

TEST_F(NotificationCenterTest, EachObserverRunsOnTheQueueItChose) {
    const auto utility = DispatchQueue::global(QualityOfService::utility);
    bool onMain = false, onUtility = false;
    center.addObserver("x", DispatchQueue::main(),
                       [&](const Notification&) { onMain = DispatchQueue::main().isCurrent(); });
    center.addObserver("x", utility, [&](const Notification&) { onUtility = utility.isCurrent(); });
    center.post("x");
    sim.runDue();
    EXPECT_TRUE(onMain);
    EXPECT_TRUE(onUtility);
}

TEST_F(NotificationCenterTest, AnObserverRemovedBeforeDeliveryGetsNothing) {
    const auto token = center.addObserver("x", DispatchQueue::main(), recorder("gone"));
    center.addObserver("x", DispatchQueue::main(), recorder("stays"));
    center.post("x");
    center.removeObserver(token);
    sim.runDue();
    EXPECT_EQ(deliveries, std::vector<std::string>{"stays:x:none"});
}

TEST_F(NotificationCenterTest, AnObserverRemovingAnotherDuringDeliveryStopsItsPendingDelivery) {
    NotificationCenter::ObserverToken second = 0;
    center.addObserver("x", DispatchQueue::main(), [&](const Notification&) {
        deliveries.push_back("first");
        center.removeObserver(second);
    });
    second = center.addObserver("x", DispatchQueue::main(), recorder("second"));
    center.post("x");
    sim.runDue();
    EXPECT_EQ(deliveries, std::vector<std::string>{"first"});
}

TEST_F(NotificationCenterTest, AnObserverMayRemoveItselfAndPostFromItsBlock) {
    NotificationCenter::ObserverToken self = 0;
    self = center.addObserver("ping", DispatchQueue::main(), [&](const Notification&) {
        center.removeObserver(self);
        center.post("pong");
    });
    center.addObserver("pong", DispatchQueue::main(), recorder("b"));
    center.post("ping");
    center.post("ping");
    sim.runDue();
    EXPECT_EQ(deliveries, std::vector<std::string>{"b:pong:none"});
}

TEST_F(NotificationCenterTest, RemovingAnUnknownTokenDoesNothing) {
    center.addObserver("x", DispatchQueue::main(), recorder("a"));
    center.removeObserver(12345);
    center.removeObserver(0);
    center.post("x");
    sim.runDue();
    EXPECT_EQ(deliveries.size(), 1u);
}

TEST_F(NotificationCenterTest, ThePostListenerSeesEachPostAtOnce) {
    std::vector<std::string> posted;
    center.setPostListener([&](const Notification& notification) { posted.push_back(notification.name); });
    center.post("x", Dictionary::object());
    EXPECT_EQ(posted, std::vector<std::string>{"x"});
}

TEST_F(NotificationCenterTest, PostingFromManyThreadsLosesNothing) {
    std::atomic<int> delivered{0};
    center.addObserver("", DispatchQueue::main(), [&](const Notification&) { ++delivered; });
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t) {
        posters.emplace_back([&] {
            for (int i = 0; i < 100; ++i)
                center.post("x", Dictionary{{"i", i}});
        });
    }
    for (auto& poster : posters)
        poster.join();
    sim.runDue();
    EXPECT_EQ(delivered, 400);
}

} // namespace
