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
        BadScript{"NameUsedBeforeCreate", "save A\ncreate monitor A\n",
                  "line 1: unknown instance name \"A\""},
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
        BadScript{"UnknownSignal", "create meter M\naudio M frames=512 right=noise\n",
                  "line 2: unknown signal \"noise\" (silence, dc:V, sine:AMP:HZ, impulse:AMP:FRAME, nan, "
                  "inf, samples:V,...)"},
        BadScript{"SignalWithExtraField", "create meter M\naudio M frames=512 left=dc:1:2\n",
                  "line 2: bad signal \"dc:1:2\": expected dc:V"},
        BadScript{"ImpulseBeforeTheStart", "create meter M\naudio M frames=512 left=impulse:1:-3\n",
                  "line 2: bad frame \"-3\" in signal impulse:1:-3"},
        BadScript{"EmptySample", "create meter M\naudio M frames=512 left=samples:1,,2\n",
                  "line 2: bad number \"\" in signal samples:1,,2"},
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

} // namespace
} // namespace vantrel::host
