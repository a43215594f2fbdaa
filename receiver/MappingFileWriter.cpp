#include "receiver/MappingFileWriter.h"

#include <algorithm>
#include <chrono>

namespace vantrel::receiver {

std::filesystem::path mappingFilePath(const std::filesystem::path& applicationSupport) {
    return applicationSupport / "Tolvane" / "audiometer_mapping.json";
}

MappingFileWriter::MappingFileWriter(const std::filesystem::path& applicationSupport)
    : path_(mappingFilePath(applicationSupport)) {}

bool MappingFileWriter::writeWithDate(std::string_view content, platform::FileTime date) {
    if (!platform::writeFile(path_, content, date)) return false;
    lastDate_ = platform::modificationDate(path_).value_or(date);
    return true;
}

bool MappingFileWriter::write(std::string_view content, bool keepModificationDate) {
    // A file left by an earlier writer counts as written before.
    if (!lastDate_) lastDate_ = platform::modificationDate(path_);
    if (keepModificationDate) {
        if (lastDate_) return writeWithDate(content, *lastDate_);
    }
    const auto now = platform::FileTime::clock::now();
    if (!lastDate_) return writeWithDate(content, now);
    const platform::FileTime previous = *lastDate_;
    if (!writeWithDate(content, std::max(now, previous + std::chrono::nanoseconds(1)))) return false;
    // A file system that keeps dates more coarsely than asked may have stored the same date
    // again; a whole second later is later on any of them.
    if (*lastDate_ > previous) return true;
    return writeWithDate(content, previous + std::chrono::seconds(1));
}

bool MappingFileWriter::remove() {
    return platform::removeFile(path_);
}

} // namespace vantrel::receiver
