// The track mapping file's content, whole or broken, read for one instance number.

#include "FuzzSupport.h"
#include "meter/common/audiounit/TrackMappingFile.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ByteReader reader(data, size);
    const auto instanceID = static_cast<std::uint8_t>(reader.take<std::uint8_t>() % 127 + 1);
    const auto content = reader.rest();
    const auto mapping = meter::readTrackMapping(
        std::string_view(reinterpret_cast<const char*>(content.data()), content.size()), instanceID);
    if (mapping)
        fuzz::require(mapping->trackNr >= 1 && mapping->trackNr <= 127, "a track number outside 1...127");
    return 0;
}
