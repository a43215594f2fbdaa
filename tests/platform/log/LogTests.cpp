#include <gtest/gtest.h>

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

TEST_F(LogTest, EachFrontEndIsCapturedWithItsKindAndTheVirtualTimeAndNoTextIsReadAsAFormat) {
    Logger("com.marlek.Vantrel", "AudioUnit").error("🔌 ⚠️ msgSetupChanged");
    DispatchQueue::main().asyncAfter(milliseconds(300), [] { NSLog("[AudioMeter] name='%s %d %@ %n'"); });
    DispatchQueue::main().asyncAfter(seconds(1.5), [] { printLine("Param was set 60.0"); });
    sim.advance(seconds(2));

    const std::vector<LogRecord> expected{
        {LogKind::unified, "com.marlek.Vantrel", "AudioUnit", LogLevel::error, "🔌 ⚠️ msgSetupChanged",
         Duration::zero()},
        {LogKind::systemLog, "", "", LogLevel::notice, "[AudioMeter] name='%s %d %@ %n'", milliseconds(300)},
        {LogKind::standardOutput, "", "", LogLevel::notice, "Param was set 60.0", milliseconds(1500)},
    };
    EXPECT_EQ(sim.log().records(), expected);
}

TEST_F(LogTest, TheListenerHearsOfEachRecordAfterItIsKept) {
    std::vector<std::string> lines;
    sim.log().setListener([&](const LogRecord& record) {
        lines.push_back(describe(record));
        EXPECT_EQ(sim.log().records().back(), record);
    });
    Logger("s", "c").notice("one");
    NSLog("two");
    printLine("three");
    EXPECT_EQ(lines, (std::vector<std::string>{"log s/c default one", "syslog two", "stdout three"}));
}

} // namespace
