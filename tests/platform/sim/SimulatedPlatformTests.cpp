// The simulated platform's services on virtual time: dispatch and timers, the log, notifications,
// files, and the nesting of platforms.
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
    int nowMs() const {
        return static_cast<int>(std::chrono::duration<double, std::milli>(sim.now()).count());
    }
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

// Ties run in the order queued, across queues; a timer's next tick is queued by the one before.
TEST_F(SimulatedPlatformTest, DueWorkRunsByDeadlineThenInTheOrderQueuedAcrossQueues) {
    const auto main = DispatchQueue::main();
    const auto global = DispatchQueue::global(QualityOfService::utility);
    main.asyncAfter(milliseconds(20), [&] { lines.push_back("main-20"); });
    global.asyncAfter(milliseconds(10), [&] { lines.push_back("global-10"); });
    main.asyncAfter(milliseconds(10), [&] { lines.push_back("main-10"); });
    global.async([&] { lines.push_back("global-now"); });
    auto timer = DispatchSourceTimer::make(main);
    timer->schedule(milliseconds(10), milliseconds(10));
    timer->setEventHandler([&] { lines.push_back("tick " + std::to_string(nowMs())); });
    timer->resume();
    EXPECT_TRUE(lines.empty()) << "nothing runs until time is advanced";
    sim.advance(milliseconds(20));
    EXPECT_EQ(lines, (Lines{"global-now", "global-10", "main-10", "tick 10", "main-20", "tick 20"}));
    EXPECT_EQ(nowMs(), 20);
    timer->cancel();
}

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

TEST_F(SimulatedPlatformTest, EachLogFrontEndIsCapturedWithItsKindAndTheVirtualTimeAndNoTextIsAFormat) {
    Logger("com.marlek.Vantrel", "AudioUnit").error("🔌 ⚠️ msgSetupChanged");
    DispatchQueue::main().asyncAfter(milliseconds(300), [] { NSLog("[AudioMeter] name='%s %d %@ %n'"); });
    DispatchQueue::main().asyncAfter(seconds(1.5), [] { printLine("Param was set 60.0"); });
    sim.advance(seconds(2));
    const std::vector<LogRecord> expected{
        {LogKind::unified, "com.marlek.Vantrel", "AudioUnit", LogLevel::error, "🔌 ⚠️ msgSetupChanged",
         Duration::zero()},
        {LogKind::systemLog, "", "", LogLevel::notice, "[AudioMeter] name='%s %d %@ %n'", milliseconds(300)},
        {LogKind::standardOutput, "", "", LogLevel::notice, "Param was set 60.0", milliseconds(1500)},
    };
    EXPECT_EQ(sim.log().records(), expected);
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

TEST_F(SimulatedPlatformTest, AFileReadsBackWithItsDateToTheNanosecondEvenGoingBackInTimeUntilRemoved) {
    const fs::path mapping = *sim.applicationSupportDirectory() / "Tolvane" / "audiometer_mapping.json";
    const FileTime base = FileTime::clock::now();
    ASSERT_TRUE(writeFile(mapping, R"({"3":{"trackNr":7}})", base + std::chrono::nanoseconds(123456789)));
    EXPECT_EQ(readFile(mapping), R"({"3":{"trackNr":7}})");
    EXPECT_EQ(modificationDate(mapping), base + std::chrono::nanoseconds(123456789));
    ASSERT_TRUE(writeFile(mapping, "", base - std::chrono::seconds(10)));
    EXPECT_EQ(readFile(mapping), "");
    EXPECT_EQ(modificationDate(mapping), base - std::chrono::seconds(10));
    EXPECT_TRUE(removeFile(mapping));
    EXPECT_TRUE(removeFile(mapping));
    EXPECT_FALSE(fileExists(mapping));
    EXPECT_EQ(modificationDate(mapping), std::nullopt);
    EXPECT_EQ(readFile(mapping), std::nullopt);
    // A directory is not read as a file.
    fs::create_directories(mapping);
    EXPECT_TRUE(fileExists(mapping));
    EXPECT_EQ(readFile(mapping), std::nullopt);
    EXPECT_FALSE(writeFile(mapping, "x", base));
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
