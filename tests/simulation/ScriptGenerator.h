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
#include <optional>
#include <string>
#include <vector>

#include "SimRandom.h"
#include "platform/core/Value.h"

namespace vantrel::simulation {

class ScriptGenerator {
public:
    explicit ScriptGenerator(std::uint64_t seed) : seed_(seed), random_(seed) {}

    // The script, with `length` random commands between its opening and its ending.
    std::string generate(std::size_t length);

private:
    enum class Kind { monitor, meter };
    struct Instance {
        std::string name;
        Kind kind = Kind::monitor;
        bool released = false;
        bool viewOpen = false;
        std::optional<std::uint32_t> uid; // known once a restore set it
    };

    void line(std::string text) { lines_.push_back(std::move(text)); }
    void randomCommand();
    void create(Kind kind);
    std::optional<std::size_t> anyInstance(Kind kind, double releasedShare = 0.1);
    std::optional<std::size_t> liveInstance(Kind kind) { return anyInstance(kind, 0.0); }

    void midiIn(const Instance& instance);
    std::string event();
    void audio(const Instance& instance);
    std::string signal();
    void restore(Instance& instance);
    void notification();
    void press(Instance& instance);
    void mappingWrite();
    std::string duration();
    platform::Value monitorState(Instance* instance);
    platform::Value meterState();
    // Any JSON value, nested up to `depth`.
    platform::Value anyValue(int depth);

    std::uint64_t seed_;
    SimRandom random_;
    std::vector<std::string> lines_;
    std::vector<Instance> instances_;
    std::vector<std::string> destinations_; // extra destinations not yet removed
    std::size_t destinationsAdded_ = 0;
    std::size_t metersCreated_ = 0;
};

} // namespace vantrel::simulation
