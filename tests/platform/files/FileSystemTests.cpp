#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/files/FileSystem.h"
#include "platform/sim/SimulatedPlatform.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

class FileSystemTest : public ::testing::Test {
protected:
    SimulatedPlatform sim;
    const fs::path mapping = *sim.applicationSupportDirectory() / "Tolvane" / "audiometer_mapping.json";
    const FileTime base = FileTime::clock::now();
};

TEST_F(FileSystemTest, AFileReadsBackWithItsDateToTheNanosecondEvenGoingBackInTimeUntilRemoved) {
    ASSERT_TRUE(writeFile(mapping, R"({"3":{"trackNr":7}})", base + std::chrono::nanoseconds(123456789)));
    EXPECT_EQ(readFile(mapping), R"({"3":{"trackNr":7}})");
    EXPECT_EQ(modificationDate(mapping), base + std::chrono::nanoseconds(123456789));
    ASSERT_TRUE(writeFile(mapping, "", base - std::chrono::seconds(10)));
    EXPECT_EQ(readFile(mapping), "");
    EXPECT_EQ(modificationDate(mapping), base - std::chrono::seconds(10));
    EXPECT_TRUE(removeFile(mapping));
    EXPECT_TRUE(removeFile(mapping));
    EXPECT_FALSE(fileExists(mapping));
    EXPECT_EQ(modificationDate(mapping), std::nullopt);
    EXPECT_EQ(readFile(mapping), std::nullopt);
}

TEST_F(FileSystemTest, ADirectoryIsNotReadAsAFile) {
    fs::create_directories(mapping);
    EXPECT_TRUE(fileExists(mapping));
    EXPECT_EQ(readFile(mapping), std::nullopt);
    EXPECT_FALSE(writeFile(mapping, "x", base));
}

// Restores one environment variable when it ends.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnvironment() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

struct DirectoryCase {
    const char* xdgDataHome;
    const char* home;
    std::optional<fs::path> expected;
};

class LiveApplicationSupportTest : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(LiveApplicationSupportTest, FollowsTheDataHomeThenTheHomeDirectory) {
    ScopedEnvironment xdg("XDG_DATA_HOME", GetParam().xdgDataHome);
    ScopedEnvironment home("HOME", GetParam().home);
    EXPECT_EQ(liveApplicationSupportDirectory(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, LiveApplicationSupportTest,
    ::testing::Values(DirectoryCase{"/data", "/home/u", fs::path("/data")},
                      DirectoryCase{nullptr, "/home/u", fs::path("/home/u/.local/share")},
                      DirectoryCase{"relative", "/home/u", fs::path("/home/u/.local/share")},
                      DirectoryCase{"", "/home/u", fs::path("/home/u/.local/share")},
                      DirectoryCase{nullptr, nullptr, std::nullopt},
                      DirectoryCase{nullptr, "", std::nullopt}));

} // namespace
