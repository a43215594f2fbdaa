#include "platform/audiounit/AUAudioUnit.h"

#include <memory>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

TEST_F(AudioUnitTest, RestoringSkipsWhatIsNotANumberAndUnknownAddressesAndSurvivesAnyShape) {
    const auto unit = makeUnit();
    parameter(*unit, 0).setValue(1);
    parameter(*unit, 1).setValue(2);
    unit->setFullState(Dictionary{{"data", {{"0", "5"}, {"1", true}, {"99", 4}}}});
    EXPECT_EQ(parameter(*unit, 0).value(), 1);
    EXPECT_EQ(parameter(*unit, 1).value(), 1); // a boolean is a number
    for (const Dictionary& odd : {Dictionary{{"data", "none"}}, Dictionary::array(), Dictionary(5)})
        unit->setFullState(odd);
    EXPECT_EQ(parameter(*unit, 1).value(), 1);
    EXPECT_EQ((*std::make_shared<PlugIn>(effect, 0)->fullState())["data"], Dictionary::object());
}

TEST_F(AudioUnitTest, RestoringTellsAllParameterValuesObserversButNoParameterObserverAndAbsenceTellsNoOne) {
    const auto unit = makeUnit();
    std::vector<AUValue> heardByParameter;
    unit->parameterTree()->tokenByAddingParameterObserver(
        [&](AUParameterAddress, AUValue value) { heardByParameter.push_back(value); });
    std::vector<AUValue> seenByObservation;
    const auto observation = unit->observeAllParameterValues(
        [&](AUAudioUnit& observed) { seenByObservation.push_back(parameter(observed, 1).value()); });

    unit->setFullState(std::nullopt);
    unit->setFullState(Dictionary{{"data", {{"1", 64}}}});
    EXPECT_THAT(seenByObservation, ElementsAre(64));
    EXPECT_THAT(heardByParameter, IsEmpty());
}

TEST_F(AudioUnitTest, ObservationsEndedBeforeOrDuringANotificationAreNotCalled) {
    const auto unit = makeUnit();
    int ended = 0, removedByAnother = 0;
    auto reset = unit->observeAllParameterValues([&](AUAudioUnit&) { ++ended; });
    auto invalidated = unit->observeAllParameterValues([&](AUAudioUnit&) { ++ended; });
    reset.reset();
    invalidated->invalidate();
    std::unique_ptr<KeyValueObservation> self, other;
    self = unit->observeAllParameterValues([&](AUAudioUnit&) {
        other.reset();
        self.reset();
    });
    other = unit->observeAllParameterValues([&](AUAudioUnit&) { ++removedByAnother; });
    unit->setFullState(Dictionary::object());
    unit->setFullState(Dictionary::object());
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(removedByAnother, 0);
}

TEST_F(AudioUnitTest, NeitherObservationsNorWeakThisKeepTheUnitLonger) {
    auto unit = makeUnit();
    const std::weak_ptr<PlugIn> weak = unit->weak();
    auto holding = unit->observeAllParameterValues([held = unit](AUAudioUnit&) {});
    auto outliving = unit->observeAllParameterValues([](AUAudioUnit&) {});
    unit.reset();
    EXPECT_FALSE(weak.expired());
    holding.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_NO_THROW(outliving->invalidate());
}

TEST(FourCharacterCodes, ShowUnprintableBytesAsQuestionMarks) {
    EXPECT_EQ(fourCharCodeString(kAudioUnitType_MIDIProcessor), "aumi");
    EXPECT_EQ(fourCharCodeString(0x41004243), "A?BC");
}

} // namespace
} // namespace platform
