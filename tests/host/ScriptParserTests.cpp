#include <gtest/gtest.h>

#include "host/script/ScriptParser.h"

namespace vantrel::host {
namespace {

struct BadScript {
    const char* name;
    const char* script;
    const char* error;
};

class ScriptErrors : public testing::TestWithParam<BadScript> {};

TEST_P(ScriptErrors, ReportTheLineAndWhatIsWrong) {
    try {
        parseScript(GetParam().script);
        FAIL() << "no error for: " << GetParam().script;
    } catch (const ScriptError& error) {
        EXPECT_STREQ(error.what(), GetParam().error);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Parser, ScriptErrors,
    testing::Values(
        BadScript{"UnknownCommand", "# comment\n\nfrob 1\n", "line 3: unknown command \"frob\""},
        BadScript{"NameUsedBeforeCreate", "save A\ncreate monitor A\n",
                  "line 1: unknown instance name \"A\""},
        BadScript{"UnknownName", "create monitor A\nrelease B\n", "line 2: unknown instance name \"B\""},
        BadScript{"NameTakenTwice", "create monitor A\ncreate meter A\n",
                  "line 2: instance name \"A\" is already taken"},
        BadScript{"UnknownPlugin", "create synth S\n", "line 1: unknown plug-in \"synth\" (monitor, meter)"},
        BadScript{"AllocateOption", "create monitor A\nallocate A sometimes\n",
                  "line 2: unexpected argument \"sometimes\" (no-output, fail)"},
        BadScript{"DurationWithoutUnit", "advance 10\n",
                  "line 1: bad duration \"10\" (a number with ms or s: 10ms, 1.5s)"},
        BadScript{"NegativeDuration", "advance -1s\n",
                  "line 1: bad duration \"-1s\" (a number with ms or s: 10ms, 1.5s)"},
        BadScript{"AudioWithoutFrames", "create meter M\naudio M calls=2\n", "line 2: missing frames=N"},
        BadScript{"AudioOnMonitor", "create monitor A\naudio A frames=512\n",
                  "line 2: audio needs a meter; \"A\" is a monitor"},
        BadScript{"MIDIOnMeter", "create meter M\nmidi-in M B0 07 64\n",
                  "line 2: midi-in needs a monitor; \"M\" is a meter"},
        BadScript{"BadSignal", "create meter M\naudio M frames=512 left=sine:1\n",
                  "line 2: bad signal \"sine:1\": expected sine:AMP:HZ"},
        BadScript{"TooManyFrames", "create meter M\naudio M frames=70000\n",
                  "line 2: bad frames \"70000\" (0 to 65536)"},
        BadScript{"NineEventBytes", "create monitor A\nmidi-in A B0 07 64 00 00 00 00 00 00\n",
                  "line 2: event \"B0 07 64 00 00 00 00 00 00\" has 9 bytes (at most 8)"},
        BadScript{"NoneWithOthers", "create monitor A\nmidi-in A none, B0 07 64\n",
                  "line 2: none stands alone: it gives a null event list"},
        BadScript{"BadEventWord", "create monitor A\nmidi-in A B0 077\n",
                  "line 2: bad event word \"077\" (hex bytes, at=T, cable=C, param, ramp, sysex, eventlist)"},
        BadScript{"BytesOnParameterEvent", "create monitor A\nmidi-in A param 01\n",
                  "line 2: a param 01 event takes no bytes"},
        BadScript{"StateNotAnObject", "create monitor A\nrestore A [1, 2]\n",
                  "line 2: state must be a JSON object or none"},
        BadScript{
            "BrokenJSON", "notify connect {\"uid\": }\n",
            "line 1: bad JSON for userInfo at character 9: syntax error while parsing value - unexpected "
            "'}'; expected '[', '{', or a literal"},
        BadScript{"UnknownDestination", "destination remove X\n", "line 1: unknown destination \"X\""},
        BadScript{"DestinationRemovedTwice",
                  "destination add X\ndestination remove X\ndestination remove X\n",
                  "line 3: unknown destination \"X\""},
        BadScript{"UnquotedTrack", "receiver auto-connect Strings\n",
                  "line 1: auto-connect takes a quoted track name or off"},
        BadScript{"PressExtra", "create monitor A\npress A connect twice\n",
                  "line 2: unexpected argument \"twice\""},
        BadScript{"PressOnMeter", "create meter M\npress M connect\n",
                  "line 2: press needs a monitor; \"M\" is a meter"},
        BadScript{"BadStatus", "midi fail-sends 2 status=abc\n",
                  "line 1: bad status \"abc\" (-2147483648 to 2147483647)"},
        BadScript{"NegativeSeed", "seed -1\n", "line 1: bad seed (a whole number)"},
        BadScript{"UnterminatedString", "receiver up \"rec\n",
                  "line 1: unterminated string in destination name"},
        BadScript{"BadInstanceName", "create monitor \"A B\"\n",
                  "line 1: bad instance name \"A B\" (letters, digits, '_', '-', '.')"},
        BadScript{"MissingMappingContent", "mapping write\n",
                  "line 1: missing content (JSON or a quoted text)"}),
    [](const testing::TestParamInfo<BadScript>& info) { return info.param.name; });

TEST(Parser, ReadsTheWholeScriptBeforeAnyOfItCounts) {
    // The error is on the last line; nothing before it may be taken as a script.
    EXPECT_THROW(parseScript("create monitor A\nallocate A\nadvance 1s\nfrob\n"), ScriptError);
}

TEST(Parser, SkipsCommentsAndBlankLinesButKeepsLineNumbers) {
    const Script script = parseScript("# title\n\n   \ncreate monitor A   # the monitor\nsave A\n");
    ASSERT_EQ(script.lines.size(), 2u);
    EXPECT_EQ(script.lines[0].lineNumber, 4);
    EXPECT_EQ(script.lines[1].lineNumber, 5);
}

TEST(Parser, KeepsAHashInsideAJSONString) {
    const Script script = parseScript("notify connect {\"uid\": 1, \"trackName\": \"Bass #2\"} # answer\n");
    const auto& notify = std::get<NotifyCommand>(script.lines.at(0).command);
    EXPECT_EQ(notify.notificationName, "com.marlek.vantrel.connect");
    ASSERT_TRUE(notify.userInfo);
    EXPECT_EQ((*notify.userInfo)["trackName"], "Bass #2");
}

TEST(Parser, ReadsEventsOfEveryKind) {
    const Script script = parseScript("create monitor A\n"
                                      "midi-in A B0 07 64 at=5 cable=1, D5 30, param at=3, sysex, , "
                                      "f0 1 2 3 4 5 6 7\n");
    const auto& command = std::get<MIDIInCommand>(script.lines.at(1).command);
    ASSERT_EQ(command.events.size(), 6u);
    EXPECT_EQ(command.events[0].bytes, (std::vector<std::uint8_t>{0xB0, 0x07, 0x64}));
    EXPECT_EQ(command.events[0].sampleTime, 5);
    EXPECT_EQ(command.events[0].cable, 1);
    EXPECT_EQ(command.events[1].bytes.size(), 2u);
    EXPECT_EQ(command.events[2].type, platform::AURenderEventParameter);
    EXPECT_EQ(command.events[2].sampleTime, 3);
    EXPECT_EQ(command.events[3].type, platform::AURenderEventMIDISysEx);
    EXPECT_EQ(command.events[4].type, platform::AURenderEventMIDI);
    EXPECT_TRUE(command.events[4].bytes.empty());
    EXPECT_EQ(command.events[5].bytes.size(), 8u);
    EXPECT_FALSE(command.nullList);

    const Script none = parseScript("create monitor A\nmidi-in A none\n");
    EXPECT_TRUE(std::get<MIDIInCommand>(none.lines.at(1).command).nullList);
}

TEST(Parser, ReadsAudioOptions) {
    const Script script = parseScript("create meter M\n"
                                      "audio M frames=1000 calls=3 left=dc:0.5 right=samples:1,-1 buffers=1 "
                                      "no-pull pull-status=-50\n");
    const auto& audio = std::get<AudioCommand>(script.lines.at(1).command);
    EXPECT_EQ(audio.frames, 1000u);
    EXPECT_EQ(audio.calls, 3u);
    EXPECT_EQ(audio.left.kind, Signal::Kind::dc);
    EXPECT_EQ(audio.right.kind, Signal::Kind::samples);
    EXPECT_EQ(audio.buffers, 1u);
    EXPECT_FALSE(audio.pull);
    EXPECT_EQ(audio.pullStatus, -50);
}

TEST(Parser, ReadsMappingContentAsJSONOrRawText) {
    const Script script = parseScript("mapping write {\"1\": {\"trackNr\": 7}} mtime=keep\n"
                                      "mapping write \"{broken\"\n");
    const auto& json = std::get<MappingWriteCommand>(script.lines.at(0).command);
    EXPECT_EQ(json.content, "{\"1\":{\"trackNr\":7}}");
    EXPECT_TRUE(json.keepModificationDate);
    const auto& raw = std::get<MappingWriteCommand>(script.lines.at(1).command);
    EXPECT_EQ(raw.content, "{broken");
    EXPECT_FALSE(raw.keepModificationDate);
    EXPECT_EQ(raw.shown, "{broken");
}

TEST(Parser, ReadsDestinationsWithUniqueIDs) {
    const Script script = parseScript("destination add twin uid=0x4B565254 unreadable\n"
                                      "destination add plain uid=-5\n"
                                      "destination remove twin\ndestination add twin\n");
    const auto& twin = std::get<DestinationAddCommand>(script.lines.at(0).command);
    EXPECT_EQ(twin.uniqueID, 0x4B565254);
    EXPECT_TRUE(twin.unreadable);
    EXPECT_EQ(std::get<DestinationAddCommand>(script.lines.at(1).command).uniqueID, -5);
}

struct DurationCase {
    const char* text;
    std::int64_t nanoseconds;
};

class Durations : public testing::TestWithParam<DurationCase> {};

TEST_P(Durations, AreExactInNanoseconds) {
    EXPECT_EQ(parseDuration(GetParam().text).count(), GetParam().nanoseconds);
}

INSTANTIATE_TEST_SUITE_P(Parser, Durations,
                         testing::Values(DurationCase{"10ms", 10'000'000},
                                         DurationCase{"1.5s", 1'500'000'000},
                                         DurationCase{"0.1s", 100'000'000}, DurationCase{"0ms", 0},
                                         DurationCase{"2.5ms", 2'500'000},
                                         DurationCase{"300ms", 300'000'000}));

} // namespace
} // namespace vantrel::host
