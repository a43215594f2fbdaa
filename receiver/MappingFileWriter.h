#pragma once
// The receiver's side of the track mapping file: it writes audiometer_mapping.json in the
// application-support folder's "Tolvane" folder, each write with a modification date strictly
// later than any date it wrote before (readers compare dates at full precision), or, when asked,
// with the previous date kept.

#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/files/FileSystem.h"

namespace vantrel::receiver {

class MappingFileWriter {
public:
    // The file inside `applicationSupport`. [main]
    explicit MappingFileWriter(const std::filesystem::path& applicationSupport);

    // False when the file could not be written. [main]
    bool write(std::string_view content, bool keepModificationDate = false);
    bool remove(); // [main] True when the file is gone.

    const std::filesystem::path& path() const { return path_; }
    const std::optional<platform::FileTime>& lastModificationDate() const { return lastDate_; }

private:
    bool writeWithDate(std::string_view content, platform::FileTime date);

    std::filesystem::path path_;
    std::optional<platform::FileTime> lastDate_;
};

// Where the meter looks for the file under an application-support folder.
std::filesystem::path mappingFilePath(const std::filesystem::path& applicationSupport);

} // namespace vantrel::receiver
