// The start decision held back by a busy main queue, restores after it that the saved-state
// scenario does not make, and construction failures.

#include <gmock/gmock.h>

#include "MonitorTestBench.h"
#include "platform/dispatch/Executor.h"

namespace vantrel::monitor::test {
namespace {

using ::testing::IsEmpty;

// A busy main queue: what is queued on it waits until release(), while every other queue goes on.
class BusyMainQueue final : public platform::Executor {
public:
    explicit BusyMainQueue(platform::SimulatedPlatform& sim) : sim_(sim), platform_(sim.platform()) {
        platform_.executor = this;
        previous_ = platform::Platform::install(&platform_);
    }
    ~BusyMainQueue() override { platform::Platform::install(previous_); }

    void release() {
        platform::Platform::install(previous_);
        for (auto& [deadline, work] : held_->work)
            sim_.executor().mainQueue()->enqueue(deadline, std::move(work));
    }

    platform::TimePoint now() const override { return sim_.now(); }
    std::shared_ptr<platform::SerialQueue> mainQueue() override { return held_; }
    std::shared_ptr<platform::SerialQueue> globalQueue(platform::QualityOfService qos) override {
        return sim_.executor().globalQueue(qos);
    }
    std::shared_ptr<platform::SerialQueue> makeQueue(const std::string& label) override {
        return sim_.executor().makeQueue(label);
    }

private:
    struct Held final : platform::SerialQueue {
        void enqueue(platform::TimePoint deadline, platform::Work item) override {
            work.emplace_back(deadline, std::move(item));
        }
        void runSync(platform::Work) override { ADD_FAILURE() << "waited on the busy main queue"; }
        bool isCurrent() const override { return false; }
        const std::string& label() const override { return name; }
        std::vector<std::pair<platform::TimePoint, platform::Work>> work;
        const std::string name = "main";
    };

    platform::SimulatedPlatform& sim_;
    platform::Platform platform_;
    const platform::Platform* previous_ = nullptr;
    std::shared_ptr<Held> held_ = std::make_shared<Held>();
};

class LifecycleTest : public MonitorTestBench {};

// Held back past the 100th tick, the start decision has not yet made the instance ready: that
// tick sends no Heartbeat but still its reports, and the count starts over from it.
TEST_F(LifecycleTest, AStartDecisionHeldPastTheHundredthTickSkipsThatHeartbeat) {
    receiver.up();
    BusyMainQueue busy(sim);
    const auto unit = createRenderingUnit();
    unit->setFullState(platform::Dictionary{{"qvConnected", true}});
    advanceTo(ms(1485));
    EventList events;
    events.midi({0xB0, 0x07, 0x64});
    render(unit->internalRenderBlock(), events.head());
    advanceTo(ms(1600));
    EXPECT_THAT(heartbeatTimes(), IsEmpty());
    const auto reports = messages(Kind::eventReport);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].time, ms(1490)); // drained by the 100th tick itself

    busy.release();
    advanceTo(ms(2600));
    EXPECT_EQ(heartbeatTimes(), (std::vector{ms(1600), ms(2490)}));
}

TEST_F(LifecycleTest, AFailedConstructionLeavesNothingBehind) {
    for (std::atomic<bool>* fault :
         {&sim.audioUnitFaults().failNextBaseConstruction, &sim.audioUnitFaults().failNextBusCreation}) {
        const platform::MIDIObjectRef newest = sim.midi().newestObject();
        *fault = true;
        EXPECT_THROW(createUnit(), platform::PlatformError);
        EXPECT_EQ(sim.midi().newestObject(), newest);
    }
    advanceTo(ms(2000));
    EXPECT_THAT(sim.log().records(), IsEmpty());
    EXPECT_EQ(sim.executor().pendingCount(), 0u);
}

struct RestoreCase {
    std::string name;
    platform::Value state;
    std::optional<std::uint32_t> uniqueID; // none: the random one stays
    bool connected;
    std::string trackName;
};

class FullStateRestoreTest : public MonitorTestBench, public ::testing::WithParamInterface<RestoreCase> {};

// Starts from a connected instance on track "Before", past its start decision. The saved-state
// scenario takes each key of each type; these are the states it does not give.
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
        RestoreCase{"NoKeys", platform::Dictionary::object(), std::nullopt, true, "Before"},
        RestoreCase{"IdentityWrapsLikeThePlatform", {{"qvUniqueID", 4294967296.0 + 5}}, 5, true, "Before"},
        RestoreCase{"NotADictionary", platform::Value::array({1, 2}), std::nullopt, true, "Before"}),
    [](const auto& info) { return info.param.name; });

} // namespace
} // namespace vantrel::monitor::test
