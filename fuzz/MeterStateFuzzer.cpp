// An audio meter's saved state as a host might hand it back: any JSON value, or none. The track
// number stays within 0...127, and what the instance then saves restores to the same track.

#include "FuzzSupport.h"
#include "support/HostedMeter.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static test::HostedMeter* const hosted = new test::HostedMeter;
    static const auto meter = hosted->createUnit();
    hosted->sim.log().clear();
    auto& unit = *meter;

    unit.setFullState(size == 0 ? std::nullopt : fuzz::parseJSON({data, size}));
    fuzz::require(unit.trackNr() <= 127, "a track number above 127");

    const auto saved = unit.fullState();
    fuzz::require(saved && saved->is_object(), "the saved state is not a dictionary");
    const platform::Value* trackNr = platform::member(*saved, "qvTrackNr");
    fuzz::require(trackNr && platform::integerValue(*trackNr) == unit.trackNr(),
                  "qvTrackNr is not the track number");

    const auto trackBefore = unit.trackNr();
    const std::string nameBefore = unit.trackName();
    unit.setFullState(saved);
    fuzz::require(unit.trackNr() == trackBefore && unit.trackName() == nameBefore,
                  "a saved state does not restore what it saved");
    return 0;
}
