#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/log/Logger.h"
#include "platform/sim/SimulatedPlatform.h"

using namespace platform;

namespace {

class LogTest : public ::testing::Test {
protected:
    SimulatedPlatform sim;
};

TEST_F(LogTest, EachFrontEndIsCapturedWithItsKindAndTheVirtualTime) {
    const Logger ccLog("com.marlek.Vantrel", "AudioUnit");
    ccLog.error("🔌 ⚠️ msgSetupChanged");
    DispatchQueue::main().asyncAfter(milliseconds(300), [] { NSLog("[AudioMeter] init OK, instance=1"); });
    DispatchQueue::main().asyncAfter(seconds(1.5), [] { printLine("Parameter changed"); });
    sim.advance(seconds(2));

    const std::vector<LogRecord> expected{
        {LogKind::unified, "com.marlek.Vantrel", "AudioUnit", LogLevel::error, "🔌 ⚠️ msgSetupChanged",
         Duration::zero()},
        {LogKind::systemLog, "", "", LogLevel::notice, "[AudioMeter] init OK, instance=1", milliseconds(300)},
        {LogKind::standardOutput, "", "", LogLevel::notice, "Parameter changed", milliseconds(1500)},
    };
    EXPECT_EQ(sim.log().records(), expected);
    EXPECT_EQ(sim.log().texts(LogKind::systemLog),
              std::vector<std::string>{"[AudioMeter] init OK, instance=1"});
}

TEST_F(LogTest, TextIsNeverReadAsAFormat) {
    NSLog("[AudioMeter] Mapping gelesen: instance 3 → trackNr=7, name='%s %d %@ %n'");
    EXPECT_EQ(sim.log().texts(LogKind::systemLog).at(0),
              "[AudioMeter] Mapping gelesen: instance 3 → trackNr=7, name='%s %d %@ %n'");
}

TEST_F(LogTest, TheListenerSeesEachRecordAsItIsWritten) {
    std::vector<std::string> lines;
    sim.log().setListener([&](const LogRecord& record) {
        lines.push_back(describe(record));
        EXPECT_EQ(sim.log().records().back(), record) << "kept before the listener hears of it";
    });
    Logger("sub", "cat").info("one");
    NSLog("two");
    printLine("three");
    EXPECT_EQ(lines, (std::vector<std::string>{"log sub/cat info one", "syslog two", "stdout three"}));
}

struct LevelCase {
    void (Logger::*write)(std::string_view) const;
    const char* name;
};

class LogLevelTest : public LogTest, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(LogLevelTest, EachLevelIsNamedAsTheUnifiedLogNamesIt) {
    const Logger logger("s", "c");
    (logger.*GetParam().write)("x");
    EXPECT_EQ(describe(sim.log().records().at(0)), std::string("log s/c ") + GetParam().name + " x");
}

INSTANTIATE_TEST_SUITE_P(Levels, LogLevelTest,
                         ::testing::Values(LevelCase{&Logger::debug, "debug"},
                                           LevelCase{&Logger::info, "info"},
                                           LevelCase{&Logger::notice, "default"},
                                           LevelCase{&Logger::error, "error"},
                                           LevelCase{&Logger::fault, "fault"}));

TEST(StreamLogSinkTest, WritesOneTimedLinePerRecord) {
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    StreamLogSink sink(stream);
    sink.write({LogKind::systemLog, "", "", LogLevel::notice, "[Vantrel] hello", milliseconds(1.5)});
    sink.write({LogKind::unified, "s", "c", LogLevel::error, "two", seconds(12)});
    std::rewind(stream);
    char text[256] = {};
    const std::size_t length = std::fread(text, 1, sizeof text - 1, stream);
    std::fclose(stream);
    EXPECT_EQ(std::string(text, length), "1.500 syslog [Vantrel] hello\n12000.000 log s/c error two\n");
}

} // namespace
