// What the scenarios do not reach of the simulated platform: timers resumed twice or cancelled in
// their handler, sync onto the current queue, observers that change the observer list while a
// notification is on its way, file dates finer than a second, the live application-support folder,
// and nested platforms.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dispatch/DispatchSourceTimer.h"
#include "platform/files/FileSystem.h"
#include "platform/log/Logger.h"
#include "platform/midi/MIDIServices.h"
#include "platform/notify/NotificationCenter.h"
#include "platform/sim/SimulatedPlatform.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

class SimulatedPlatformTest : public ::testing::Test {
protected:
    // Records "observer:name:userInfo" for every delivery.
    NotificationCenter::Block recorder(const std::string& observer) {
        return [this, observer](const Notification& notification) {
            lines.push_back(observer + ":" + notification.name + ":" +
                            (notification.userInfo ? notification.userInfo->dump() : "none"));
        };
    }

    SimulatedPlatform sim;
    Lines lines;
    NotificationCenter& center = NotificationCenter::defaultCenter();
};

TEST_F(SimulatedPlatformTest, ATimerResumedTwiceTicksOnceAndCancelledInItsHandlerTicksNoMore) {
    int ticks = 0;
    auto timer = DispatchSourceTimer::make(DispatchQueue::main());
    timer->schedule(milliseconds(10), milliseconds(10));
    timer->setEventHandler([&] {
        if (++ticks == 3) timer->cancel();
    });
    timer->resume();
    timer->resume();
    sim.advance(milliseconds(10));
    EXPECT_EQ(ticks, 1);
    sim.advance(seconds(1));
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(sim.executor().pendingCount(), 0u);
}

TEST_F(SimulatedPlatformTest, SyncRunsAtOnceOnTheTargetQueueEvenFromIt) {
    const auto main = DispatchQueue::main();
    bool onMain = false, nested = false;
    main.sync([&] { onMain = main.isCurrent(); });
    EXPECT_TRUE(onMain);
    EXPECT_FALSE(main.isCurrent());
    main.async([&] { main.sync([&] { nested = main.isCurrent(); }); });
    sim.runDue();
    EXPECT_TRUE(nested);
}

TEST_F(SimulatedPlatformTest, NotificationsReachMatchingObserversOnTheirQueuesWhenTheQueuesRun) {
    const auto utility = DispatchQueue::global(QualityOfService::utility);
    bool allOnUtility = true;
    center.addObserver("connect", DispatchQueue::main(), recorder("named"));
    center.addObserver("", utility, [&, all = recorder("all")](const Notification& notification) {
        allOnUtility = allOnUtility && utility.isCurrent();
        all(notification);
    });
    center.post("connect", Dictionary{{"uid", 7}});
    center.post("disconnect");
    EXPECT_TRUE(lines.empty());
    sim.runDue();
    EXPECT_EQ(lines, (Lines{"named:connect:{\"uid\":7}", "all:connect:{\"uid\":7}", "all:disconnect:none"}));
    EXPECT_TRUE(allOnUtility);
}

TEST_F(SimulatedPlatformTest,
       ObserversMayRemoveThemselvesAndOthersWithDeliveriesPendingAndPostFromTheirBlock) {
    NotificationCenter::ObserverToken self = 0, other = 0;
    self = center.addObserver("ping", DispatchQueue::main(), [&](const Notification&) {
        center.removeObserver(self);
        center.removeObserver(other);
        center.post("pong");
    });
    other = center.addObserver("ping", DispatchQueue::main(), recorder("other"));
    center.addObserver("pong", DispatchQueue::main(), recorder("pong"));
    const auto gone = center.addObserver("x", DispatchQueue::main(), recorder("gone"));
    center.addObserver("x", DispatchQueue::main(), recorder("stays"));
    center.post("ping");
    center.post("ping");
    center.post("x");
    center.removeObserver(gone);
    center.removeObserver(gone);
    center.removeObserver(0);
    sim.runDue();
    EXPECT_EQ(lines, (Lines{"stays:x:none", "pong:pong:none"}));
}

// The mapping file's writer dates successive versions a nanosecond apart when it must.
TEST_F(SimulatedPlatformTest, AFileKeepsItsDateToTheNanosecond) {
    const fs::path file = *sim.applicationSupportDirectory() / "dated";
    const FileTime date = FileTime::clock::now() + std::chrono::nanoseconds(123456789);
    ASSERT_TRUE(writeFile(file, "x", date));
    EXPECT_EQ(modificationDate(file), date);
}

// Restores one environment variable when it ends.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnvironment() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

struct DirectoryCase {
    const char* xdgDataHome;
    const char* home;
    std::optional<fs::path> expected;
};

class LiveApplicationSupport : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(LiveApplicationSupport, FollowsTheDataHomeThenTheHomeDirectory) {
    ScopedEnvironment xdg("XDG_DATA_HOME", GetParam().xdgDataHome);
    ScopedEnvironment home("HOME", GetParam().home);
    EXPECT_EQ(liveApplicationSupportDirectory(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, LiveApplicationSupport,
    ::testing::Values(DirectoryCase{"/data", "/home/u", fs::path("/data")},
                      DirectoryCase{nullptr, "/home/u", fs::path("/home/u/.local/share")},
                      DirectoryCase{"relative", "/home/u", fs::path("/home/u/.local/share")},
                      DirectoryCase{"", "/home/u", fs::path("/home/u/.local/share")},
                      DirectoryCase{nullptr, nullptr, std::nullopt},
                      DirectoryCase{nullptr, "", std::nullopt}));

// Disposes of its MIDI client and logs when it goes, as a plug-in instance does.
class Instance {
public:
    Instance() { MIDIClientCreateWithBlock("Vantrel", &client_, nullptr); }
    ~Instance() {
        MIDIClientDispose(client_);
        NSLog("instance gone");
        DispatchQueue::main().async([] {});
    }

private:
    MIDIClientRef client_ = 0;
};

TEST(NestedPlatforms, AnInnerPlatformDropsItsQueuedWorkWhileItsServicesStillExistAndPutsTheOuterBack) {
    SimulatedPlatform outer;
    {
        SimulatedPlatform sim;
        EXPECT_EQ(Platform::current().midi, &sim.midi());
        auto instance = std::make_shared<Instance>();
        DispatchQueue::main().asyncAfter(seconds(5), [instance] {});
        instance.reset();
        sim.midi().postNotification(kMIDIMsgSetupChanged);
    }
    EXPECT_EQ(&Platform::current(), &outer.platform());
    EXPECT_TRUE(outer.log().records().empty());
    EXPECT_EQ(outer.executor().pendingCount(), 0u);
}

} // namespace
