#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "MeterTestBench.h"
#include "platform/audiounit/AVAudioFormat.h"

namespace vantrel::meter::test {
namespace {

using namespace platform;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::uint8_t following(std::uint8_t instanceID) {
    return instanceID < 127 ? instanceID + 1 : 1;
}

std::string initLine(const Unit& unit) {
    return "[AudioMeter] init OK, instance=" + std::to_string(unit.instanceID()) + ", trackNr=0, name=''";
}

class MeterInstance : public MeterTestBench {};

// Whatever other tests in this process created before, numbers run on by one and wrap to 1.
TEST_F(MeterInstance, NumbersRunOnAndWrapFrom127To1) {
    std::uint8_t expected = createUnit()->instanceID();
    for (int created = 0; created < 128; ++created) {
        expected = following(expected);
        ASSERT_EQ(createUnit()->instanceID(), expected);
    }
}

struct ConstructionFault {
    const char* name;
    friend void PrintTo(const ConstructionFault& c, std::ostream* out) { *out << c.name; }
    std::atomic<bool> AudioUnitFaults::*fault;
    OSStatus status;
};

class MeterFailedConstruction : public MeterTestBench,
                                public ::testing::WithParamInterface<ConstructionFault> {};

TEST_P(MeterFailedConstruction, UsesUpItsNumberAndMakesNoMIDIClient) {
    const std::uint8_t before = createUnit()->instanceID();
    const MIDIObjectRef newestHandle = sim.midi().newestObject();
    sim.log().clear();

    sim.audioUnitFaults().*GetParam().fault = true;
    try {
        createUnit();
        FAIL() << "construction did not fail";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.status(), GetParam().status);
    }
    EXPECT_EQ(sim.midi().newestObject(), newestHandle);
    EXPECT_THAT(systemLog(), IsEmpty());

    EXPECT_EQ(createUnit()->instanceID(), following(following(before)));
}

INSTANTIATE_TEST_SUITE_P(Faults, MeterFailedConstruction,
                         ::testing::Values(ConstructionFault{"Base",
                                                             &AudioUnitFaults::failNextBaseConstruction,
                                                             kAudioUnitErr_FailedInitialization},
                                           ConstructionFault{"Bus", &AudioUnitFaults::failNextBusCreation,
                                                             kAudioUnitErr_FormatNotSupported}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MeterInstance, IsAStereoEffectOnOneShared44100HzBusThatCannotBeBypassed) {
    const auto unit = createUnit();
    const auto inputs = unit->inputBusses();
    const auto outputs = unit->outputBusses();
    ASSERT_EQ(inputs->count(), 1u);
    ASSERT_EQ(outputs->count(), 1u);
    EXPECT_EQ(inputs->busType(), AUAudioUnitBusType::input);
    EXPECT_EQ(outputs->busType(), AUAudioUnitBusType::output);
    EXPECT_EQ(inputs->ownerAudioUnit(), unit.get());
    EXPECT_EQ((*inputs)[0], (*outputs)[0]);
    const auto& format = (*outputs)[0]->format();
    EXPECT_EQ(format->sampleRate(), 44100.0);
    EXPECT_EQ(format->channelCount(), 2u);
    EXPECT_FALSE(format->isInterleaved());
    EXPECT_EQ(unit->channelCapabilities(), std::optional(std::vector{2, 2}));
    EXPECT_EQ(unit->maximumFramesToRender(), 1024u);
    EXPECT_EQ(unit->parameterTree(), nullptr);
    unit->setShouldBypassEffect(true);
    EXPECT_FALSE(unit->shouldBypassEffect());
}

TEST_F(MeterInstance, CreationFindsTheReceiverAndLogsOnce) {
    const Receiver receiver;
    const auto unit = createUnit();
    EXPECT_EQ(unit->targetDestination(), receiver.destination());
    EXPECT_EQ(sim.midi().objectName(unit->midiClient()), "AudioMeter");
    EXPECT_EQ(sim.midi().objectName(unit->midiOutputPort()), "AudioMeter Out");
    EXPECT_EQ(sim.midi().clientOfPort(unit->midiOutputPort()), unit->midiClient());
    EXPECT_THAT(systemLog(), ElementsAre(initLine(*unit)));
}

TEST_F(MeterInstance, TheFirstOfTwoReceiverDestinationsWins) {
    const Receiver other(0x1234);
    const Receiver first;
    const Receiver second;
    EXPECT_EQ(createUnit()->targetDestination(), first.destination());
}

TEST_F(MeterInstance, ADestinationWhoseIDCannotBeReadIsPassedOver) {
    const Receiver unreadable;
    sim.midi().setUniqueIDUnreadable(unreadable.destination(), true);
    const Receiver readable;
    EXPECT_EQ(createUnit()->targetDestination(), readable.destination());
}

TEST_F(MeterInstance, OnlyASetupChangeLooksForTheDestinationAgain) {
    const Receiver receiver(0x1234);
    const auto unit = createUnit();
    sim.runDue();
    ASSERT_EQ(unit->targetDestination(), 0u);

    ASSERT_EQ(MIDIObjectSetIntegerProperty(receiver.destination(), kMIDIPropertyUniqueID, protocol::KVRT),
              noErr);
    for (const std::int32_t messageID :
         {kMIDIMsgObjectAdded, kMIDIMsgObjectRemoved, kMIDIMsgPropertyChanged, 0})
        sim.midi().postNotification(messageID);
    sim.runDue();
    EXPECT_EQ(unit->targetDestination(), 0u);

    sim.midi().postNotification(kMIDIMsgSetupChanged);
    sim.runDue();
    EXPECT_EQ(unit->targetDestination(), receiver.destination());
}

TEST_F(MeterInstance, ASetupChangeWithoutTheReceiverDropsTheLink) {
    auto receiver = std::make_unique<Receiver>();
    const auto unit = createUnit();
    receiver.reset();
    sim.runDue();
    EXPECT_EQ(unit->targetDestination(), 0u);
}

TEST_F(MeterInstance, AFailedClientCreationIsLoggedAndNothingIsEverSent) {
    const Receiver receiver;
    sim.midi().failNextClientCreate(-10839);
    const auto unit = createUnit();
    EXPECT_EQ(unit->midiClient(), 0u);
    EXPECT_EQ(unit->midiOutputPort(), 0u);
    EXPECT_EQ(unit->targetDestination(), 0u);
    EXPECT_THAT(systemLog(), ElementsAre("[AudioMeter] MIDIClientCreate failed: -10839", initLine(*unit)));

    HostAudio audio(2048);
    const auto block = unit->internalRenderBlock();
    for (int call = 0; call < 100; ++call)
        ASSERT_EQ(render(block, audio), noErr);
    EXPECT_EQ(receiver.count(), 0u);
}

// Without a port the link never comes up, so the render path keeps looking.
TEST_F(MeterInstance, AFailedPortCreationIsLoggedAndRetriesRunOnWithoutSending) {
    sim.midi().failNextPortCreate();
    const auto unit = createUnit();
    EXPECT_NE(unit->midiClient(), 0u);
    EXPECT_EQ(unit->midiOutputPort(), 0u);
    EXPECT_THAT(systemLog(), ElementsAre("[AudioMeter] MIDIOutputPortCreate failed", initLine(*unit)));

    const Receiver receiver;
    HostAudio audio(512);
    const auto block = unit->internalRenderBlock();
    for (int call = 0; call < 173; ++call)
        ASSERT_EQ(render(block, audio), noErr);
    EXPECT_EQ(unit->targetDestination(), receiver.destination());
    ASSERT_EQ(MIDIObjectSetIntegerProperty(receiver.destination(), kMIDIPropertyUniqueID, 0), noErr);
    for (int call = 0; call < 173; ++call)
        ASSERT_EQ(render(block, audio), noErr);
    EXPECT_EQ(unit->targetDestination(), 0u);
    EXPECT_EQ(receiver.count(), 0u);
}

TEST_F(MeterInstance, TeardownDisposesOfTheMIDIClientAndPort) {
    auto unit = createUnit();
    const MIDIClientRef client = unit->midiClient();
    const MIDIPortRef port = unit->midiOutputPort();
    unit.reset();
    EXPECT_EQ(sim.midi().objectName(client), std::nullopt);
    EXPECT_EQ(sim.midi().objectName(port), std::nullopt);
}

TEST_F(MeterInstance, AFreshStateIsTheBaseStateWithTrackZeroAndNoName) {
    const auto unit = createUnit();
    const Dictionary state = *unit->fullState();
    EXPECT_EQ(state.at("qvTrackNr"), 0);
    EXPECT_EQ(state.at("qvTrackName"), "");
    for (const char* key : {"type", "subtype", "manufacturer", "data"})
        EXPECT_TRUE(state.contains(key)) << key;
    EXPECT_EQ(state.at("type"), kAudioUnitType_Effect);
    EXPECT_FALSE(state.contains("qvInstanceID"));
}

TEST_F(MeterInstance, ARestoredTrackIsSavedAgain) {
    const auto unit = createUnit();
    unit->setFullState(Dictionary{{"qvTrackNr", 12}, {"qvTrackName", "Lead Vox"}});
    const Dictionary state = *unit->fullState();
    EXPECT_EQ(state.at("qvTrackNr"), 12);
    EXPECT_EQ(state.at("qvTrackName"), "Lead Vox");
}

struct TrackNrCase {
    const char* name;
    friend void PrintTo(const TrackNrCase& c, std::ostream* out) { *out << c.name; }
    Value saved;
    std::uint8_t trackNr;
};

// The instance starts from track 9 so that an ignored value shows.
class MeterRestoredTrackNr : public MeterTestBench, public ::testing::WithParamInterface<TrackNrCase> {};

TEST_P(MeterRestoredTrackNr, IsLimitedTo0To127AndTakenOnlyFromAnInteger) {
    const auto unit = createUnit();
    unit->setFullState(Dictionary{{"qvTrackNr", 9}});
    unit->setFullState(Dictionary{{"qvTrackNr", GetParam().saved}});
    EXPECT_EQ(unit->trackNr(), GetParam().trackNr);
}

INSTANTIATE_TEST_SUITE_P(Values, MeterRestoredTrackNr,
                         ::testing::Values(TrackNrCase{"InRange", 42, 42}, TrackNrCase{"Zero", 0, 0},
                                           TrackNrCase{"Max", 127, 127}, TrackNrCase{"Above", 300, 127},
                                           TrackNrCase{"Huge", 1e15, 127}, TrackNrCase{"Negative", -3, 0},
                                           TrackNrCase{"WholeFloat", 5.0, 5}, TrackNrCase{"Fraction", 2.5, 9},
                                           TrackNrCase{"Text", "5", 9}, TrackNrCase{"Null", nullptr, 9},
                                           TrackNrCase{"List", Value::array({5}), 9}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MeterInstance, ARestoredNameIsTakenOnlyFromText) {
    const auto unit = createUnit();
    unit->setFullState(Dictionary{{"qvTrackName", "Bass"}});
    unit->setFullState(Dictionary{{"qvTrackName", 5}});
    unit->setFullState(Dictionary{{"qvTrackNr", 3}});
    EXPECT_EQ(unit->trackName(), "Bass");
}

TEST_F(MeterInstance, EveryRestoreIsLoggedEvenWithoutADictionary) {
    const auto unit = createUnit();
    sim.log().clear();
    unit->setFullState(Dictionary{{"qvTrackNr", 4}, {"qvTrackName", "50% %s %n {}"}});
    unit->setFullState(std::nullopt);
    unit->setFullState(Value::array({1, 2}));
    const std::string line = "[AudioMeter] fullState restored: trackNr=4, name='50% %s %n {}' (instance " +
                             std::to_string(unit->instanceID()) + ")";
    EXPECT_THAT(systemLog(), ElementsAre(line, line, line));
    EXPECT_EQ(unit->trackNr(), 4);
}

TEST_F(MeterInstance, AllocationLogsAndReadsTheMappingWhateverTheTrack) {
    const auto unit = createUnit();
    unit->setFullState(Dictionary{{"qvTrackNr", 9}});
    writeMapping(mappingFor(unit->instanceID(), 4, "Pads"));
    sim.log().clear();
    unit->allocateRenderResources();
    const std::string id = std::to_string(unit->instanceID());
    EXPECT_THAT(systemLog(),
                ElementsAre("[AudioMeter] allocateRenderResources, instance=" + id + ", trackNr=9",
                            "[AudioMeter] Mapping gelesen: instance " + id + " → trackNr=4, name='Pads'"));
    EXPECT_EQ(unit->trackNr(), 4);
}

TEST_F(MeterInstance, AFailedBaseAllocationReachesTheHostAndReadsNothing) {
    const auto unit = createUnit();
    writeMapping(mappingFor(unit->instanceID(), 4, "Pads"));
    sim.log().clear();
    sim.audioUnitFaults().failNextAllocate = true;
    EXPECT_THROW(unit->allocateRenderResources(), PlatformError);
    EXPECT_THAT(systemLog(), IsEmpty());
    EXPECT_EQ(unit->trackNr(), 0);
}

} // namespace
} // namespace vantrel::meter::test
