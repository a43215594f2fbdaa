#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/TolvaneVantrelMain.h"

namespace {

struct ProgramRun {
    int status;
    std::string out;
    std::string err;
};

ProgramRun run(const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = vantrel::runTolvaneVantrel(arguments, out, err);
    return {status, out.str(), err.str()};
}

TEST(TolvaneVantrelProgram, PrintsItsWindowAsTextAndSucceeds) {
    const ProgramRun result = run({});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(
        result.out,
        "window \"TolvaneVantrel\"\n"
        "  vStack alignment=center spacing=16 padding=40,40,40,40 width=400 height=200 "
        "frameAlignment=center\n"
        "    image \"pianokeys\" font=40 foreground=secondary\n"
        "    text \"Tolvane Vantrel\" font=title2:bold\n"
        "    text \"Das MIDI FX Plugin ist installiert.\\nFüge es in Logic Pro als MIDI FX auf einem Track "
        "hinzu.\" font=body foreground=secondary multilineTextAlignment=center\n");
}

TEST(TolvaneVantrelProgram, HelpSaysTheWindowIsPrintedAsText) {
    for (const char* option : {"--help", "-h"}) {
        const ProgramRun result = run({option});
        EXPECT_EQ(result.status, 0);
        EXPECT_NE(result.out.find("Usage: TolvaneVantrel"), std::string::npos);
        EXPECT_NE(result.out.find("text rendering"), std::string::npos);
    }
}

TEST(TolvaneVantrelProgram, RefusesAnUnknownArgumentWithoutShowingTheWindow) {
    const ProgramRun result = run({"--window"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("unknown argument \"--window\""), std::string::npos);
}

} // namespace
