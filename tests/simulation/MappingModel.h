#pragma once
// What an audio meter must have taken up from the track mapping file. It reads the file when its
// render resources are allocated and, while its track is unknown, at every 44th send; a version
// whose modification date has not advanced past the last one it took up is not read again.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/files/FileSystem.h"

namespace vantrel::simulation {

class MappingModel {
public:
    MappingModel(std::filesystem::path file, std::uint8_t instanceID)
        : file_(std::move(file)), instanceID_(instanceID) {}

    void allocated() { check(); }
    // One send (a completed window), whether or not it reached anyone.
    void sent();
    // The host restored a state; the track is what the instance now says it is.
    void restored(std::uint8_t trackNr, std::string trackName);

    // None when the instance shows the track the file and the restores gave it.
    std::optional<std::string> difference(std::uint8_t trackNr, const std::string& trackName) const;

private:
    void check();

    std::filesystem::path file_;
    std::uint8_t instanceID_;
    std::optional<platform::FileTime> lastDate_;
    std::uint32_t checkCounter_ = 0;
    std::uint8_t trackNr_ = 0;
    std::string trackName_;
};

} // namespace vantrel::simulation
