#include <gtest/gtest.h>

#include <string>
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

TEST_F(NotificationCenterTest, MatchingNamesAreDeliveredOnlyWhenTheQueueRunsAndAnEmptyNameHearsAll) {
    center.addObserver("connect", DispatchQueue::main(), recorder("named"));
    center.addObserver("", DispatchQueue::main(), recorder("all"));
    center.post("connect", Dictionary{{"uid", 7}});
    center.post("disconnect");
    EXPECT_TRUE(deliveries.empty());
    sim.runDue();
    EXPECT_EQ(deliveries, (std::vector<std::string>{"named:connect:{\"uid\":7}", "all:connect:{\"uid\":7}",
                                                    "all:disconnect:none"}));
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

TEST_F(NotificationCenterTest, AnObserverRemovedBeforeDeliveryGetsNothingAndRemovingTwiceDoesNoHarm) {
    const auto token = center.addObserver("x", DispatchQueue::main(), recorder("gone"));
    center.addObserver("x", DispatchQueue::main(), recorder("stays"));
    center.post("x");
    center.removeObserver(token);
    center.removeObserver(token);
    center.removeObserver(0);
    sim.runDue();
    EXPECT_EQ(deliveries, std::vector<std::string>{"stays:x:none"});
}

TEST_F(NotificationCenterTest, AnObserverMayRemoveItselfAndAnotherWithDeliveriesPendingAndPostFromItsBlock) {
    NotificationCenter::ObserverToken self = 0, other = 0;
    self = center.addObserver("ping", DispatchQueue::main(), [&](const Notification&) {
        center.removeObserver(self);
        center.removeObserver(other);
        center.post("pong");
    });
    other = center.addObserver("ping", DispatchQueue::main(), recorder("other"));
    center.addObserver("pong", DispatchQueue::main(), recorder("b"));
    center.post("ping");
    center.post("ping");
    sim.runDue();
    EXPECT_EQ(deliveries, std::vector<std::string>{"b:pong:none"});
}

} // namespace
