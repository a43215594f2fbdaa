#include "MappingModel.h"

#include "meter/common/audiounit/TrackMappingFile.h"

namespace vantrel::simulation {

namespace {

constexpr std::uint32_t sendInterval = 2048;
constexpr std::uint32_t checkInterval = 88200;

} // namespace

void MappingModel::sent() {
    checkCounter_ += sendInterval;
    if (checkCounter_ < checkInterval) return;
    checkCounter_ = 0;
    if (trackNr_ == 0) check();
}

void MappingModel::restored(std::uint8_t trackNr, std::string trackName) {
    trackNr_ = trackNr;
    trackName_ = std::move(trackName);
}

void MappingModel::check() {
    if (!platform::fileExists(file_)) return;
    if (const auto date = platform::modificationDate(file_)) {
        if (lastDate_ && *date <= *lastDate_) return;
        lastDate_ = date;
    }
    const auto content = platform::readFile(file_);
    if (!content) return;
    // How an entry reads is the parser's business (fuzzed on its own); when it is read is this one's.
    if (const auto mapping = meter::readTrackMapping(*content, instanceID_)) {
        trackNr_ = mapping->trackNr;
        trackName_ = mapping->trackName;
    }
}

std::optional<std::string> MappingModel::difference(std::uint8_t trackNr,
                                                    const std::string& trackName) const {
    if (trackNr == trackNr_ && trackName == trackName_) return std::nullopt;
    return "shows track " + std::to_string(trackNr) + " '" + trackName +
           "', where the mapping file and the restores " + "give " + std::to_string(trackNr_) + " '" +
           trackName_ + "'";
}

} // namespace vantrel::simulation
