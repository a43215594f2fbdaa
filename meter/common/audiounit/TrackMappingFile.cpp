#include "meter/common/audiounit/TrackMappingFile.h"

#include <algorithm>
#include <mutex>

#include "meter/common/audiounit/TrackNumber.h"
#include "platform/Platform.h"
#include "platform/core/Value.h"

namespace vantrel::meter {

std::optional<std::filesystem::path> mappingFileURL() {
    // A process has one platform and so one answer, worked out on first use. Tests install fresh
    // platforms with directories of their own; the kept answer is therefore tied to the directory
    // it came from and worked out again only when the platform in force reports another one.
    static std::mutex mutex;
    static bool workedOut = false;
    static std::optional<std::filesystem::path> workedOutFrom;
    static std::optional<std::filesystem::path> location;

    const auto& directory = platform::Platform::current().applicationSupportDirectory;
    std::lock_guard guard(mutex);
    if (!workedOut || workedOutFrom != directory) {
        workedOutFrom = directory;
        location =
            directory ? std::optional(*directory / "Tolvane" / "audiometer_mapping.json") : std::nullopt;
        workedOut = true;
    }
    return location;
}

std::optional<TrackMapping> readTrackMapping(std::string_view content, std::uint8_t instanceID) {
    const platform::Value file = platform::Value::parse(content, nullptr, false);
    if (file.is_discarded() || !file.is_object()) return std::nullopt;
    if (!std::ranges::all_of(file, [](const platform::Value& entry) { return entry.is_object(); }))
        return std::nullopt;

    const platform::Value* entry = platform::member(file, std::to_string(instanceID));
    if (entry == nullptr) return std::nullopt;
    const platform::Value* trackNr = platform::member(*entry, "trackNr");
    const auto number = trackNr ? trackNumberValue(*trackNr) : std::nullopt;
    if (!number || *number == 0) return std::nullopt;

    TrackMapping mapping;
    mapping.trackNr = *number;
    if (const platform::Value* name = platform::member(*entry, "trackName"))
        mapping.trackName = platform::stringValue(*name).value_or("");
    return mapping;
}

} // namespace vantrel::meter
