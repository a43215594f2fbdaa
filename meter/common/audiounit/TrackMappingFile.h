#pragma once
// The receiver's track mapping file: where it lies and what it says about one meter instance.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::meter {

// One instance's mapping entry as taken up: track number 1..127 and track name.
struct TrackMapping {
    std::uint8_t trackNr = 0;
    std::string trackName;
};

// <application support>/Tolvane/audiometer_mapping.json; none when the platform reports no
// application-support directory. Worked out once and kept for the process. [any but render]
std::optional<std::filesystem::path> mappingFileURL();

// The entry for `instanceID` in the file content `content`. None when the content is not JSON, is
// not an object whose every value is an object, has no entry under the instance number in
// decimal, or the entry's "trackNr" is missing, not a whole number or below 1. A "trackNr" above
// 127, however large, is taken as 127; a missing or non-text "trackName" as the empty text.
// [any] Allocates.
std::optional<TrackMapping> readTrackMapping(std::string_view content, std::uint8_t instanceID);

} // namespace vantrel::meter
