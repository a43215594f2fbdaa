#include "platform/sim/SimulatedPlatform.h"

#include <cstdlib>
#include <string>
#include <system_error>

namespace platform {

namespace {

std::optional<std::filesystem::path> makeTemporaryDirectory() {
    std::error_code error;
    const auto base = std::filesystem::temp_directory_path(error);
    if (error) return std::nullopt;
    std::string pattern = (base / "vantrel-sim-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return std::nullopt;
    return std::filesystem::path(pattern);
}

} // namespace

SimulatedPlatform::TemporaryDirectory::TemporaryDirectory() : path(makeTemporaryDirectory()) {}

SimulatedPlatform::TemporaryDirectory::~TemporaryDirectory() {
    if (!path) return;
    std::error_code ignored;
    std::filesystem::remove_all(*path, ignored);
}

SimulatedPlatform::SimulatedPlatform(std::uint64_t seed)
    : SimulatedPlatform(std::make_unique<SimulatedExecutor>(), std::make_unique<CapturingLogSink>(), seed) {}

SimulatedPlatform::SimulatedPlatform(std::unique_ptr<SimulatedExecutor> executor,
                                     std::unique_ptr<CapturingLogSink> log, std::uint64_t seed)
    : executor_(*executor), log_(*log),
      services_(std::move(executor), std::move(log), seed, directory_.path) {}

} // namespace platform
