#pragma once
// What an audio meter must have taken up from the track mapping file and the restores. It reads the
// file when its render resources are allocated and, while its track is unknown, at every 44th
// send; a version whose modification date has not advanced is not read again.

#include <filesystem>
#include <optional>
#include <string>

#include "meter/common/audiounit/TrackMappingFile.h"
#include "platform/files/FileSystem.h"

namespace vantrel::simulation {

inline constexpr std::uint32_t meterSendInterval = 2048; // frames per message

class MappingModel {
public:
    MappingModel(std::filesystem::path file, std::uint8_t instanceID)
        : file_(std::move(file)), instanceID_(instanceID) {}

    void allocated() { check(); }
    // One send (a completed window), whether or not it reached anyone.
    void sent() {
        checkCounter_ += meterSendInterval;
        if (checkCounter_ < 88200) return;
        checkCounter_ = 0;
        if (trackNr_ == 0) check();
    }
    void restored(std::uint8_t trackNr, std::string trackName) {
        trackNr_ = trackNr;
        trackName_ = std::move(trackName);
    }
    // None when the instance shows the track the file and the restores gave it.
    std::optional<std::string> difference(std::uint8_t trackNr, const std::string& trackName) const {
        if (trackNr == trackNr_ && trackName == trackName_) return std::nullopt;
        return "shows track " + std::to_string(trackNr) + " '" + trackName + "', not " +
               std::to_string(trackNr_) + " '" + trackName_ + "'";
    }

private:
    void check() {
        if (!platform::fileExists(file_)) return;
        if (const auto date = platform::modificationDate(file_)) {
            if (lastDate_ && *date <= *lastDate_) return;
            lastDate_ = date;
        }
        // How an entry reads is the parser's business (fuzzed on its own); when it is read is ours.
        const auto content = platform::readFile(file_);
        if (const auto mapping = content ? meter::readTrackMapping(*content, instanceID_) : std::nullopt) {
            trackNr_ = mapping->trackNr;
            trackName_ = mapping->trackName;
        }
    }

    std::filesystem::path file_;
    std::uint8_t instanceID_;
    std::optional<platform::FileTime> lastDate_;
    std::uint32_t checkCounter_ = 0;
    std::uint8_t trackNr_ = 0;
    std::string trackName_;
};

} // namespace vantrel::simulation
