// The destination search outside the render path, and the track number as the saved state and the
// mapping file give it. Instance numbers, 1 to 127 and round again, are in every simulation run.

#include <gmock/gmock.h>

#include "MeterTestBench.h"
#include "meter/common/audiounit/TrackMappingFile.h"

namespace vantrel::meter::test {
namespace {

using namespace platform;

class MeterInstance : public MeterTestBench {};

TEST_F(MeterInstance, OnlyASetupChangeLooksForTheDestinationAgain) {
    receiver.up();
    ASSERT_EQ(MIDIObjectSetIntegerProperty(receiver.destination(), kMIDIPropertyUniqueID, 0x1234), noErr);
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

// Without a port the link never comes up, so the render path keeps looking, and never sends.
TEST_F(MeterInstance, AfterAFailedPortCreationTheSearchRunsOnWithoutSending) {
    sim.midi().failNextPortCreate();
    const auto unit = createUnit();
    EXPECT_EQ(unit->midiOutputPort(), 0u);
    receiver.up();
    HostAudio audio(512);
    const auto block = unit->internalRenderBlock();
    for (int call = 0; call < 173; ++call)
        ASSERT_EQ(render(block, audio), noErr);
    EXPECT_EQ(unit->targetDestination(), receiver.destination());
    ASSERT_EQ(MIDIObjectSetIntegerProperty(receiver.destination(), kMIDIPropertyUniqueID, 0), noErr);
    for (int call = 0; call < 173; ++call)
        ASSERT_EQ(render(block, audio), noErr);
    EXPECT_EQ(unit->targetDestination(), 0u);
    EXPECT_EQ(heardFrom(*unit).messages, 0u);
}

struct TrackNumberCase {
    const char* json;
    int restored;              // from the saved state, starting from track 9
    std::optional<int> mapped; // from the mapping file; none: the entry is not taken
    friend void PrintTo(const TrackNumberCase& c, std::ostream* out) { *out << c.json; }
};

class TrackNumber : public MeterTestBench, public ::testing::WithParamInterface<TrackNumberCase> {};

TEST_P(TrackNumber, IsAWholeNumberLimitedTo0To127InTheSavedStateAndTheMappingFile) {
    const auto unit = createUnit();
    unit->setFullState(Dictionary{{"qvTrackNr", 9}});
    unit->setFullState(Dictionary{{"qvTrackNr", Value::parse(GetParam().json)}});
    EXPECT_EQ(unit->trackNr(), GetParam().restored);

    const auto mapping = readTrackMapping(std::string(R"({"3": {"trackNr": )") + GetParam().json + "}}", 3);
    EXPECT_EQ(mapping ? std::optional<int>(mapping->trackNr) : std::nullopt, GetParam().mapped);
}

INSTANTIATE_TEST_SUITE_P(
    Values, TrackNumber,
    ::testing::Values(TrackNumberCase{"42", 42, 42}, TrackNumberCase{"0", 0, std::nullopt},
                      TrackNumberCase{"127", 127, 127}, TrackNumberCase{"300", 127, 127},
                      TrackNumberCase{"-3", 0, std::nullopt}, TrackNumberCase{"5.0", 5, 5},
                      TrackNumberCase{"1e15", 127, 127}, TrackNumberCase{"1e19", 127, 127},
                      TrackNumberCase{"18446744073709551615", 127, 127}, TrackNumberCase{"1e300", 127, 127},
                      TrackNumberCase{"-1e300", 0, std::nullopt}, TrackNumberCase{"2.5", 9, std::nullopt},
                      TrackNumberCase{"\"5\"", 9, std::nullopt}, TrackNumberCase{"null", 9, std::nullopt},
                      TrackNumberCase{"[5]", 9, std::nullopt}),
    [](const auto& info) { return std::to_string(info.index); });

} // namespace
} // namespace vantrel::meter::test
