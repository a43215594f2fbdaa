#include "platform/files/FileSystem.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

namespace platform {

namespace fs = std::filesystem;

bool fileExists(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}

std::optional<FileTime> modificationDate(const fs::path& path) {
    std::error_code error;
    const FileTime time = fs::last_write_time(path, error);
    if (error) return std::nullopt;
    return time;
}

std::optional<std::string> readFile(const fs::path& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return std::nullopt;
    return content;
}

bool writeFile(const fs::path& path, std::string_view content, FileTime modificationDate) {
    std::error_code error;
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), error);
    if (error) return false;
    fs::path staging = path;
    staging += ".writing";
    {
        std::ofstream out(staging, std::ios::binary | std::ios::trunc);
        if (!out.write(content.data(), static_cast<std::streamsize>(content.size())).flush()) return false;
    }
    fs::last_write_time(staging, modificationDate, error);
    if (!error) fs::rename(staging, path, error);
    if (error) {
        fs::remove(staging, error);
        return false;
    }
    return true;
}

bool removeFile(const fs::path& path) {
    std::error_code error;
    fs::remove(path, error);
    return !error;
}

std::optional<fs::path> liveApplicationSupportDirectory() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && fs::path(data).is_absolute()) {
        return fs::path(data);
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return fs::path(home) / ".local" / "share";
    }
    return std::nullopt;
}

} // namespace platform
