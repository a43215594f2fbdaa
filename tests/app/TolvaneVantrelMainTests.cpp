#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/ContentView.h"
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
    const int status = vantrel::runTolvaneVantrel(arguments, out, err, nullptr);
    return {status, out.str(), err.str()};
}

const std::string title = "Tolvane Vantrel";
const std::string hint =
    "Das MIDI FX Plugin ist installiert.\nFüge es in Logic Pro als MIDI FX auf einem Track hinzu.";

TEST(TolvaneVantrelProgram, WithoutADisplaySaysSoAndPrintsItsWindowAsText) {
    const ProgramRun result = run({});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "TolvaneVantrel: no display (DISPLAY is not set); the window follows as text\n");
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

struct ArgumentCase {
    std::string argument;
    int status;
    std::string out; // a part of standard output, or "" for none
    std::string err; // a part of standard error
};

class TolvaneVantrelArguments : public testing::TestWithParam<ArgumentCase> {};

TEST_P(TolvaneVantrelArguments, AreAnsweredWithoutShowingTheWindow) {
    const ProgramRun result = run({GetParam().argument});
    EXPECT_EQ(result.status, GetParam().status);
    EXPECT_EQ(result.out.find("vStack"), std::string::npos);
    EXPECT_EQ(result.out.empty(), GetParam().out.empty());
    EXPECT_NE(result.out.find(GetParam().out), std::string::npos);
    EXPECT_NE(result.err.find(GetParam().err), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Arguments, TolvaneVantrelArguments,
                         testing::Values(ArgumentCase{"--help", 0, "Usage: TolvaneVantrel", ""},
                                         ArgumentCase{"-h", 0, "text rendering", ""},
                                         ArgumentCase{"--window", 2, "", "unknown argument \"--window\""}));

struct TranslationCase {
    const char* name;
    std::map<std::string, std::string> table;
    std::string shownTitle;
    std::string shownHint;
};

class ContentViewTranslation : public testing::TestWithParam<TranslationCase> {};

TEST_P(ContentViewTranslation, ShowsATranslationWhereThereIsOneAndElseTheKey) {
    const auto root = vantrel::ContentView(platform::ui::StringTable(GetParam().table)).body();
    EXPECT_EQ(root.children.at(1).text, GetParam().shownTitle);
    EXPECT_EQ(root.children.at(2).text, GetParam().shownHint);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, ContentViewTranslation,
    testing::Values(TranslationCase{"HintOnly", {{hint, "Installed."}}, title, "Installed."},
                    TranslationCase{"Both", {{title, "TV"}, {hint, "Installed."}}, "TV", "Installed."}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
