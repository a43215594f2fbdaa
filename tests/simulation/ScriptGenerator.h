#pragma once
// Writes a random scenario script from a seed, in the host's own script language: instances
// created and released at random times, saved states restored early, late and with wrong types,
// the receiver going up and down, extra destinations, setup changes, failing and throwing sends,
// notifications with random payloads, event storms, audio with NaNs, infinities and huge values,
// and the mapping file written, broken and removed. Every script ends the same way: faults cleared
// and the receiver up long enough for everything queued to arrive (the line `settleMark`), then
// every instance released, their render blocks called once more and the machine left to run
// (from `quietMark` on, nothing may happen).

#include <cstdint>
#include <string>

namespace vantrel::simulation {

// The script for `seed`, with `length` random commands between its opening and its ending.
std::string generateScript(std::uint64_t seed, std::size_t length);

} // namespace vantrel::simulation
