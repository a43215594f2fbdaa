// The platform's real-thread races, the suite the thread sanitizer runs. Every wait is bounded,
// and every race runs until both sides have been seen at work together.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <latch>
#include <regex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "midi/MIDITestSupport.h"
#include "platform/audiounit/AUParameterTree.h"
#include "platform/core/Published.h"
#include "platform/core/UnfairLock.h"
#include "platform/dispatch/DispatchSourceTimer.h"
#include "platform/log/Logger.h"
#include "platform/notify/NotificationCenter.h"
#include "platform/sim/LivePlatform.h"
#include "platform/sim/SimulatedPlatform.h"
#include "support/BoundedWait.h"

using namespace platform;
using midi_test::OneMessage;
using midi_test::Receiver;
using midi_test::RecordingClient;

namespace {

using vantrel::test::waitFor;

// The bound on the races that run until both sides have been seen at work, as on every wait.
struct Deadline {
    bool passed() const { return std::chrono::steady_clock::now() > at; }
    std::chrono::steady_clock::time_point at =
        std::chrono::steady_clock::now() + vantrel::test::realThreadDeadline;
};

// Runs `work(index)` on `count` threads that start together, and joins them.
void onThreads(int count, const std::function<void(int)>& work) {
    std::latch start(count);
    std::vector<std::thread> threads;
    for (int t = 0; t < count; ++t) {
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            work(t);
        });
    }
    for (auto& thread : threads)
        thread.join();
}

// True once everything queued on `queue` before this call has run.
bool drained(const DispatchQueue& queue) {
    const auto ran = std::make_shared<std::atomic<bool>>(false);
    queue.async([ran] { *ran = true; });
    return waitFor([&] { return ran->load(); }, "the queue to drain");
}

// Each published list is internally consistent (all elements equal its size), so a torn read or
// a read of freed memory shows up.
TEST(Published, ReadersSeeWholeValuesWhileTheWriterReplacesThem) {
    Published<std::vector<int>> list;
    std::atomic<bool> done{false};
    std::atomic<long> reads{0}, torn{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r) {
        readers.emplace_back([&] {
            while (!done) {
                const auto value = list.read();
                for (int element : *value)
                    if (element != static_cast<int>(value->size())) ++torn;
                ++reads;
            }
        });
    }
    const Deadline deadline;
    for (int size = 1; (size <= 2000 || reads < 2000) && !deadline.passed(); ++size)
        list.publish(std::vector<int>(size % 17, size % 17));
    done = true;
    for (auto& reader : readers)
        reader.join();
    EXPECT_GE(reads, 2000);
    EXPECT_EQ(torn, 0);
}

TEST(UnfairLock, ExcludesAcrossThreads) {
    UnfairLock lock;
    long counter = 0;
    onThreads(4, [&](int) {
        for (int i = 0; i < 20000; ++i) {
            UnfairLockGuard guard(lock);
            ++counter;
        }
    });
    EXPECT_EQ(counter, 80000);
}

class ThreadedDispatch : public ::testing::Test {
protected:
    static DispatchQueue utility() { return DispatchQueue::global(QualityOfService::utility); }

    LivePlatform live;
};

TEST_F(ThreadedDispatch, SerialQueueRunsWorkFromManyThreadsOneAtATimeInOrder) {
    int unguarded = 0; // only the serial queue touches it
    std::vector<int> perThreadOrder[4];
    onThreads(4, [&](int t) {
        for (int i = 0; i < 200; ++i)
            utility().async([&, t, i] {
                ++unguarded;
                perThreadOrder[t].push_back(i);
            });
    });
    ASSERT_TRUE(drained(utility()));
    EXPECT_EQ(unguarded, 800);
    for (const auto& order : perThreadOrder) {
        ASSERT_EQ(order.size(), 200u);
        for (int i = 0; i < 200; ++i)
            EXPECT_EQ(order[i], i);
    }
}

// Work that fell due while the queue was busy runs by deadline, ties in the order queued, whether
// it was queued as work or as a task; the second round reuses the first round's places.
TEST_F(ThreadedDispatch, DueWorkRunsByDeadlineThenInTheOrderQueued) {
    const auto queue = utility().backend();
    std::atomic<bool> open = false;
    std::atomic<bool> done = false;
    std::vector<int> order; // written on the queue, read here once `done` is seen
    struct Recorder final : QueuedTask {
        Recorder(std::vector<int>& order, int index) : order(order), index(index) {}
        void run() override { order.push_back(index); }
        std::vector<int>& order;
        int index;
    };
    const int msBeforeNow[] = {5, 1, 3, 1, 9, 5, 2, 9};
    for (int round = 0; round < 2; ++round) {
        queue->enqueue(TimePoint::min(), [&] { waitFor([&] { return open.load(); }, "the queue to open"); });
        const TimePoint now = dispatchNow();
        std::vector<std::pair<TimePoint, int>> expected;
        for (int index = 0; index < int(std::size(msBeforeNow)); ++index) {
            const TimePoint deadline = now - milliseconds(msBeforeNow[index]);
            expected.emplace_back(deadline, index);
            if (index % 2 == 0) queue->enqueue(deadline, [&order, index] { order.push_back(index); });
            else queue->enqueueTask(deadline, std::make_shared<Recorder>(order, index));
        }
        queue->enqueue(now, [&] { done = true; });
        open = true;
        ASSERT_TRUE(waitFor([&] { return done.load(); }, "the last work"));
        std::stable_sort(expected.begin(), expected.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<int> expectedOrder;
        for (const auto& [deadline, index] : expected)
            expectedOrder.push_back(index);
        EXPECT_EQ(order, expectedOrder) << "round " << round;
        order.clear();
        open = done = false;
    }
}

TEST_F(ThreadedDispatch, SyncOnItsOwnQueueDoesNotWaitOnItself) {
    const auto main = DispatchQueue::main();
    std::atomic<bool> ran{false};
    main.async([&] { main.sync([&] { ran = main.isCurrent(); }); });
    EXPECT_TRUE(waitFor([&] { return ran.load(); }, "the nested sync"));
}

TEST_F(ThreadedDispatch, ATimerCancelledFromItsHandlerTicksNoMore) {
    auto timer = DispatchSourceTimer::make(utility());
    std::atomic<int> ticks{0};
    std::atomic<bool> allOnQueue{true};
    timer->schedule(milliseconds(1), milliseconds(1));
    timer->setEventHandler([&] {
        if (!utility().isCurrent()) allOnQueue = false;
        if (++ticks == 5) timer->cancel();
    });
    timer->resume();
    ASSERT_TRUE(waitFor([&] { return ticks >= 5; }, "five ticks"));
    ASSERT_TRUE(drained(utility()));
    EXPECT_EQ(ticks, 5);
    EXPECT_TRUE(allOnQueue);
}

TEST_F(ThreadedDispatch, ATimerCancelledFromAnotherThreadWhileTickingTicksNoMore) {
    auto timer = DispatchSourceTimer::make(utility());
    std::atomic<int> ticks{0};
    timer->schedule(Duration::zero(), std::chrono::microseconds(100));
    timer->setEventHandler([&] { ++ticks; });
    timer->resume();
    ASSERT_TRUE(waitFor([&] { return ticks >= 3; }, "three ticks"));
    timer->cancel();
    ASSERT_TRUE(drained(utility()));
    const int afterCancel = ticks;
    ASSERT_TRUE(drained(utility()));
    EXPECT_EQ(ticks, afterCancel);
}

// Runs `body` with the process's standard output and standard error going to files; returns
// what each received.
std::pair<std::string, std::string> capturingStandardStreams(const std::function<void()>& body) {
    std::fflush(nullptr);
    std::FILE* files[] = {std::tmpfile(), std::tmpfile()};
    const int streams[] = {STDOUT_FILENO, STDERR_FILENO};
    int saved[2];
    for (int i = 0; i < 2; ++i) {
        saved[i] = dup(streams[i]);
        dup2(fileno(files[i]), streams[i]);
    }
    body();
    std::fflush(nullptr);
    std::string texts[2];
    for (int i = 0; i < 2; ++i) {
        dup2(saved[i], streams[i]);
        close(saved[i]);
        std::rewind(files[i]);
        for (int c; (c = std::fgetc(files[i])) != EOF;)
            texts[i] += static_cast<char>(c);
        std::fclose(files[i]);
    }
    return {texts[0], texts[1]};
}

TEST(LivePlatform, RunsWorkOnRealThreadsPrintsToStandardOutputAndLogsToStandardError) {
    SimulatedPlatform outer;
    std::atomic<bool> ranOnMain{false};
    bool ranInTime = false;
    const auto [output, errors] = capturingStandardStreams([&] {
        LivePlatform live;
        DispatchQueue::main().async([&] { ranOnMain = DispatchQueue::main().isCurrent(); });
        DispatchQueue::global().asyncAfter(seconds(60), [] {}); // dropped when the platform ends
        ranInTime = waitFor([&] { return ranOnMain.load(); }, "the main queue");
        NSLog("[Vantrel] hello");
        printLine("Param was set 60.0");
    });
    EXPECT_TRUE(ranInTime);
    EXPECT_EQ(&Platform::current(), &outer.platform());
    EXPECT_EQ(output, "Param was set 60.0\n");
    EXPECT_TRUE(std::regex_match(errors, std::regex("[0-9]+\\.[0-9]{3} syslog \\[Vantrel\\] hello\n")))
        << errors;
}

TEST(NotificationCenterRace, PostingFromManyThreadsLosesNothing) {
    SimulatedPlatform sim;
    NotificationCenter& center = NotificationCenter::defaultCenter();
    std::atomic<int> delivered{0};
    center.addObserver("", DispatchQueue::main(), [&](const Notification&) { ++delivered; });
    onThreads(4, [&](int) {
        for (int i = 0; i < 100; ++i)
            center.post("x", Dictionary{{"i", i}});
    });
    sim.runDue();
    EXPECT_EQ(delivered, 400);
}

TEST(MIDISendRace, SendsRaceSafelyWithDestinationsComingAndGoing) {
    SimulatedPlatform sim;
    RecordingClient client;
    MIDIPortRef port = 0;
    ASSERT_EQ(MIDIOutputPortCreate(client.ref, "out", &port), noErr);
    const Receiver receiver(client.ref, "receiver");
    OneMessage message{{0xF0, 0x7D, 0x01, 0xF7}};
    std::atomic<bool> stop{false};
    std::atomic<long> sends{0};
    std::thread sendingThread([&] {
        while (!stop) {
            for (ItemCount i = 0; i < MIDIGetNumberOfDestinations(); ++i)
                MIDISend(port, MIDIGetDestination(i), &message.list());
            ++sends;
        }
    });
    const Deadline deadline;
    for (long churned = 0; (churned < 200 || sends < 200) && !deadline.passed(); ++churned) {
        MIDIEndpointRef endpoint = 0;
        ASSERT_EQ(MIDIDestinationCreateWithBlock(client.ref, "churn", &endpoint,
                                                 [](const MIDIPacketList*, void*) {}),
                  noErr);
        ASSERT_EQ(MIDIEndpointDispose(endpoint), noErr);
    }
    stop = true;
    sendingThread.join();
    EXPECT_GE(sends, 200);
    EXPECT_EQ(midi_test::enumerateDestinations(), std::vector{receiver.endpoint});
}

TEST(AUParameterRace, ObserversComeAndGoWhileAnotherThreadNotifies) {
    const auto gain = AUParameterTree::createParameter(
        "gain", "Gain", 1, 0, 1, kAudioUnitParameterUnit_Generic, std::nullopt,
        kAudioUnitParameterFlag_IsWritable, std::nullopt, std::nullopt);
    const auto tree = AUParameterTree::createTree({AUParameterTree::createGroup("global", "Global", {gain})});
    std::atomic<int> heard{0};
    std::atomic<long> rounds{0};
    std::atomic<bool> done{false};
    std::thread writer([&] {
        const Deadline deadline;
        for (int i = 0; (i < 2000 || rounds < 200) && !deadline.passed(); ++i)
            gain->setValue(static_cast<AUValue>(i));
        done = true;
    });
    while (!done) {
        const auto onTree =
            tree->tokenByAddingParameterObserver([&](AUParameterAddress, AUValue) { ++heard; });
        const auto onGain =
            gain->tokenByAddingParameterObserver([&](AUParameterAddress, AUValue) { ++heard; });
        tree->removeParameterObserver(onTree);
        gain->removeParameterObserver(onGain);
        ++rounds;
    }
    writer.join();
    EXPECT_GE(rounds, 200);
    const int before = heard;
    gain->setValue(-1);
    EXPECT_EQ(heard, before) << "every registration is gone";
}

} // namespace
