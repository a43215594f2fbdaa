#include "platform/audiounit/AUAudioUnit.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/audiounit/AudioUnitFaults.h"
#include "platform/sim/SimulatedPlatform.h"

namespace platform {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const AudioComponentDescription effect{kAudioUnitType_Effect, fourCharCode("tvam"), fourCharCode("Tlvn"), 0,
                                       0};

std::shared_ptr<AUParameter> makeParameter(const std::string& identifier, AUParameterAddress address) {
    return AUParameterTree::createParameter(identifier, identifier, address, 0, 127,
                                            kAudioUnitParameterUnit_Generic, std::nullopt,
                                            kAudioUnitParameterFlag_IsWritable, std::nullopt, std::nullopt);
}

// A plug-in in miniature: its own key in the saved state on top of the base's.
class PlugIn : public AUAudioUnit {
public:
    using AUAudioUnit::AUAudioUnit;

    std::optional<Dictionary> fullState() const override {
        Dictionary state = AUAudioUnit::fullState().value_or(Dictionary::object());
        state["qvOwn"] = own;
        return state;
    }
    void setFullState(const std::optional<Dictionary>& state) override {
        AUAudioUnit::setFullState(state);
        if (state && member(*state, "qvOwn")) own = *integerValue(*member(*state, "qvOwn"));
    }
    std::weak_ptr<PlugIn> weak() { return weakThis<PlugIn>(); }

    std::int64_t own = 0;
};

class AudioUnitTest : public ::testing::Test {
protected:
    std::shared_ptr<PlugIn> makeUnit() {
        auto unit = std::make_shared<PlugIn>(effect, 0);
        unit->setParameterTree(AUParameterTree::createTree(
            {AUParameterTree::createGroup("global", "Global",
                                          {makeParameter("gain", 0), makeParameter("note", 1)}),
             makeParameter("pan", 7)}));
        return unit;
    }
    AUParameter& parameter(AUAudioUnit& unit, AUParameterAddress address) {
        return *unit.parameterTree()->parameterWithAddress(address);
    }

    SimulatedPlatform sim;
};

struct FaultCase {
    const char* name;
    std::atomic<bool> AudioUnitFaults::*flag;
    OSStatus status;
    std::function<void()> failableStep;
};

class AudioUnitFault : public AudioUnitTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(AudioUnitFault, FailsOnceWithAPlatformErrorThenWorksAgain) {
    const FaultCase& fault = GetParam();
    sim.audioUnitFaults().*fault.flag = true;
    try {
        fault.failableStep();
        FAIL() << "the step did not fail";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.status(), fault.status);
    }
    EXPECT_FALSE(sim.audioUnitFaults().*fault.flag);
    EXPECT_NO_THROW(fault.failableStep());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, AudioUnitFault,
    ::testing::Values(
        FaultCase{"BaseConstruction", &AudioUnitFaults::failNextBaseConstruction,
                  kAudioUnitErr_FailedInitialization, [] { std::make_shared<PlugIn>(effect, 0); }},
        FaultCase{"BusCreation", &AudioUnitFaults::failNextBusCreation, kAudioUnitErr_FormatNotSupported,
                  [] { AUAudioUnitBus bus(AVAudioFormat::standardFormat(44100, 2)); }},
        FaultCase{"Allocate", &AudioUnitFaults::failNextAllocate, kAudioUnitErr_FailedInitialization,
                  [] { std::make_shared<PlugIn>(effect, 0)->allocateRenderResources(); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AudioUnitTest, AFailedAllocationLeavesTheUnitUnallocated) {
    const auto unit = makeUnit();
    sim.audioUnitFaults().failNextAllocate = true;
    EXPECT_THROW(unit->allocateRenderResources(), PlatformError);
    EXPECT_FALSE(unit->renderResourcesAllocated());
    unit->allocateRenderResources();
    EXPECT_TRUE(unit->renderResourcesAllocated());
    unit->deallocateRenderResources();
    EXPECT_FALSE(unit->renderResourcesAllocated());
}

TEST_F(AudioUnitTest, SavedStateHasTheBaseKeysAndTheParameterValues) {
    const auto unit = makeUnit();
    parameter(*unit, 1).setValue(60);
    const Dictionary state = *unit->fullState();
    EXPECT_EQ(state["type"], kAudioUnitType_Effect);
    EXPECT_EQ(state["subtype"], fourCharCode("tvam"));
    EXPECT_EQ(state["manufacturer"], fourCharCode("Tlvn"));
    EXPECT_EQ(state["data"], (Dictionary{{"0", 0.0}, {"1", 60.0}, {"7", 0.0}}));
    EXPECT_EQ(state["qvOwn"], 0);
}

TEST_F(AudioUnitTest, AUnitWithoutParametersSavesAnEmptyDataObject) {
    const auto unit = std::make_shared<PlugIn>(effect, 0);
    EXPECT_EQ((*unit->fullState())["data"], Dictionary::object());
}

TEST_F(AudioUnitTest, RestoringTakesBackParameterValuesAndTheSubclassKeys) {
    const auto saved = makeUnit();
    parameter(*saved, 0).setValue(0.5f);
    parameter(*saved, 7).setValue(99);
    saved->own = 3;
    const auto restored = makeUnit();
    restored->setFullState(saved->fullState());
    EXPECT_EQ(parameter(*restored, 0).value(), 0.5f);
    EXPECT_EQ(parameter(*restored, 7).value(), 99);
    EXPECT_EQ(restored->own, 3);
}

TEST_F(AudioUnitTest, RestoringSkipsWhatIsNotANumberAndUnknownAddresses) {
    const auto unit = makeUnit();
    parameter(*unit, 0).setValue(1);
    parameter(*unit, 1).setValue(2);
    unit->setFullState(Dictionary{{"data", {{"0", "5"}, {"1", true}, {"99", 4}}}});
    EXPECT_EQ(parameter(*unit, 0).value(), 1);
    EXPECT_EQ(parameter(*unit, 1).value(), 1); // a boolean is a number
    unit->setFullState(Dictionary{{"data", "none"}});
    unit->setFullState(Dictionary::array());
    EXPECT_EQ(parameter(*unit, 1).value(), 1);
}

TEST_F(AudioUnitTest, RestoringTellsAllParameterValuesObserversButNoParameterObserver) {
    const auto unit = makeUnit();
    std::vector<AUValue> heardByParameter;
    unit->parameterTree()->tokenByAddingParameterObserver(
        [&](AUParameterAddress, AUValue value) { heardByParameter.push_back(value); });
    std::vector<AUValue> seenByObservation;
    const auto observation = unit->observeAllParameterValues(
        [&](AUAudioUnit& observed) { seenByObservation.push_back(parameter(observed, 1).value()); });

    unit->setFullState(Dictionary{{"data", {{"1", 64}}}});
    EXPECT_THAT(seenByObservation, ElementsAre(64));
    EXPECT_THAT(heardByParameter, IsEmpty());
}

TEST_F(AudioUnitTest, AnAbsentStateChangesNothingAndTellsNoOne) {
    const auto unit = makeUnit();
    int told = 0;
    const auto observation = unit->observeAllParameterValues([&](AUAudioUnit&) { ++told; });
    unit->setFullState(std::nullopt);
    EXPECT_EQ(told, 0);
    unit->setFullState(Dictionary::object());
    EXPECT_EQ(told, 1);
}

TEST_F(AudioUnitTest, AnEndedObservationIsNotCalled) {
    const auto unit = makeUnit();
    int first = 0, second = 0;
    auto ended = unit->observeAllParameterValues([&](AUAudioUnit&) { ++first; });
    auto invalidated = unit->observeAllParameterValues([&](AUAudioUnit&) { ++second; });
    ended.reset();
    invalidated->invalidate();
    unit->setFullState(Dictionary::object());
    EXPECT_EQ(first + second, 0);
}

TEST_F(AudioUnitTest, AnObservationMayEndItselfOrAnotherDuringANotification) {
    const auto unit = makeUnit();
    std::unique_ptr<KeyValueObservation> self, other;
    int otherCalls = 0;
    self = unit->observeAllParameterValues([&](AUAudioUnit&) {
        other.reset();
        self.reset();
    });
    other = unit->observeAllParameterValues([&](AUAudioUnit&) { ++otherCalls; });
    unit->setFullState(Dictionary::object());
    unit->setFullState(Dictionary::object());
    EXPECT_EQ(otherCalls, 0);
}

TEST_F(AudioUnitTest, AnObservationHoldingTheUnitReleasesItWhenItEnds) {
    auto unit = makeUnit();
    const std::weak_ptr<PlugIn> weak = unit;
    auto observation = unit->observeAllParameterValues([held = unit](AUAudioUnit&) {});
    unit.reset();
    EXPECT_FALSE(weak.expired());
    observation.reset();
    EXPECT_TRUE(weak.expired());
}

TEST_F(AudioUnitTest, AnObservationMayOutliveItsUnit) {
    auto unit = makeUnit();
    auto observation = unit->observeAllParameterValues([](AUAudioUnit&) {});
    unit.reset();
    EXPECT_NO_THROW(observation->invalidate());
}

TEST_F(AudioUnitTest, WeakThisDoesNotKeepTheUnitAlive) {
    auto unit = makeUnit();
    const std::weak_ptr<PlugIn> weak = unit->weak();
    EXPECT_EQ(weak.lock(), unit);
    unit.reset();
    EXPECT_TRUE(weak.expired());
}

TEST_F(AudioUnitTest, TheBasePublishesEmptyBusArraysAndNoRenderBlock) {
    const auto unit = makeUnit();
    EXPECT_EQ(unit->inputBusses()->count(), 0u);
    EXPECT_EQ(unit->outputBusses()->busType(), AUAudioUnitBusType::output);
    EXPECT_EQ(unit->outputBusses()->ownerAudioUnit(), unit.get());
    EXPECT_THROW((*unit->outputBusses())[0], std::out_of_range);
    EXPECT_FALSE(unit->internalRenderBlock());
    EXPECT_FALSE(unit->MIDIOutputEventBlock());
    EXPECT_FALSE(unit->channelCapabilities().has_value());
}

TEST(AudioComponentDescription, FourCharacterCodes) {
    EXPECT_EQ(kAudioUnitType_MIDIProcessor, 0x61756D69u);
    EXPECT_EQ(kAudioUnitType_Effect, 0x61756678u);
    EXPECT_EQ(fourCharCodeString(kAudioUnitType_MIDIProcessor), "aumi");
    EXPECT_EQ(fourCharCodeString(0x41004243), "A?BC");
}

} // namespace
} // namespace platform
