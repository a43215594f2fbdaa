#pragma once
// The file manager's part that the plug-ins use (existence, modification date, content) and the
// writing side that stands in for the receiver application. Nothing here throws.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A modification date at the file system's full precision (nanoseconds here).
using FileTime = std::filesystem::file_time_type;

bool fileExists(const std::filesystem::path& path);                          // [any]
std::optional<FileTime> modificationDate(const std::filesystem::path& path); // [any]
std::optional<std::string> readFile(const std::filesystem::path& path);      // [any]

// Writes `content` (creating missing parent directories), then sets the modification date, and
// only then puts the file in place, so a reader sees the old file or the new one with its date.
// False when any step fails. [any]
bool writeFile(const std::filesystem::path& path, std::string_view content, FileTime modificationDate);
bool removeFile(const std::filesystem::path& path); // [any] True when the file is gone.

// The user's application-support directory on this machine: $XDG_DATA_HOME when it is an
// absolute path, else $HOME/.local/share, else none. [any]
std::optional<std::filesystem::path> liveApplicationSupportDirectory();

} // namespace platform
