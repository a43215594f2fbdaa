#include "ScriptGenerator.h"

#include <algorithm>
#include <bit>
#include <cinttypes>
#include <cstdio>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "SimulationObserver.h"
#include "platform/core/Status.h"
#include "platform/core/Value.h"
#include "protocol/ReceiverMessages.h"

namespace vantrel::simulation {

namespace {

// A 64-bit Mersenne Twister read through arithmetic of our own, so that one seed gives the same
// scenario with every standard library. (No call takes two draws as arguments: their order would be
// the compiler's.)
class SimRandom {
public:
    explicit SimRandom(std::uint64_t seed) : engine_(seed) {}

    std::uint64_t bits() { return engine_(); }
    // 0 ..< bound; 0 when bound is 0.
    std::uint64_t below(std::uint64_t bound) { return bound == 0 ? 0 : bits() % bound; }
    // low ... high, both included.
    std::int64_t between(std::int64_t low, std::int64_t high) {
        return low + static_cast<std::int64_t>(below(static_cast<std::uint64_t>(high - low) + 1));
    }
    bool chance(double p) { return static_cast<double>(bits() >> 11) * 0x1.0p-53 < p; }
    template <typename T> T pick(std::initializer_list<T> choices) {
        return choices.begin()[below(choices.size())];
    }
    template <typename T> const T& pick(const std::vector<T>& choices) {
        return choices[below(choices.size())];
    }

    // Ordinary levels mostly; else infinities, extremes, signed zero, any NaN (quiet or signalling,
    // either sign, any payload), any denormal, or any bit pattern.
    float sample() {
        using Limits = std::numeric_limits<float>;
        switch (below(8)) {
        case 0:
            return pick({Limits::infinity(), -Limits::infinity(), Limits::max(), -1e30f, 0.0f, -0.0f});
        case 1:
            return std::bit_cast<float>(static_cast<std::uint32_t>(0x7F800001u | (bits() & 0x807FFFFFu)));
        case 2:
            return std::bit_cast<float>(static_cast<std::uint32_t>(bits() & 0x807FFFFFu));
        case 3:
            return std::bit_cast<float>(static_cast<std::uint32_t>(bits()));
        default:
            return static_cast<float>(static_cast<double>(between(-2'000'000, 2'000'000)) / 1'000'000.0);
        }
    }
    // Printable text, now and then with quotes, backslashes, newlines and non-ASCII letters.
    std::string text(std::size_t maxLength) {
        std::string result;
        for (auto length = below(maxLength + 1); length > 0; --length) {
            result += chance(0.7)
                          ? std::string(1, static_cast<char>('a' + below(26)))
                          : pick({"Z", " ", "7", "\"", "\\", "'", "\n", "%s", "{", "ä", "→", "🎻", "\t"});
        }
        return result;
    }

private:
    std::mt19937_64 engine_;
};

constexpr std::size_t maxLiveInstances = 6;

template <typename... Arguments> std::string format(const char* pattern, Arguments... arguments) {
    char text[128];
    std::snprintf(text, sizeof text, pattern, arguments...);
    return text;
}

std::string json(const platform::Value& value) {
    return value.dump(-1, ' ', false, platform::Value::error_handler_t::replace);
}

class ScriptGenerator {
public:
    explicit ScriptGenerator(std::uint64_t seed) : seed_(seed), random_(seed) {}

    // The script, with `length` random commands between its opening and its ending.
    std::string generate(std::size_t length) {
        line("# randomized simulation, seed " + std::to_string(seed_));
        line("seed " + std::to_string(seed_));
        if (random_.chance(0.8)) line("receiver up");
        if (random_.chance(0.5)) line("receiver auto-connect \"Strings\"");
        for (std::int64_t i = random_.between(1, 2); i > 0; --i)
            create(Kind::monitor);
        create(Kind::meter);
        while (lines_.size() < length)
            randomCommand();

        for (const char* ending :
             {"midi fail-sends 0", "midi throw-sends 0", "receiver up", "advance 3s", settleMark})
            line(ending);
        for (Instance& instance : instances_) {
            if (!std::exchange(instance.released, true)) line("release " + instance.name);
        }
        line(quietMark);
        // Render blocks that outlive their instances must do nothing.
        for (const Instance& instance : instances_)
            instance.kind == Kind::monitor ? midiIn(instance) : audio(instance);
        line("advance 2s");

        std::string text;
        for (const std::string& each : lines_)
            text += each + "\n";
        return text;
    }

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

    void randomCommand() {
        const Kind kind = random_.chance(0.55) ? Kind::monitor : Kind::meter;
        const auto live = [&](std::optional<Kind> of) {
            return static_cast<std::size_t>(std::ranges::count_if(
                instances_, [&](const Instance& i) { return !i.released && (!of || i.kind == of); }));
        };
        // A kind with no instance left gets a new one before long.
        if (live(kind) == 0 && random_.chance(0.5)) return create(kind);
        const auto status = [&](std::string command, platform::OSStatus usual) {
            return command + " status=" +
                   std::to_string(random_.chance(0.5) ? usual
                                                      : static_cast<platform::OSStatus>(random_.bits()));
        };
        Instance* const instance = some(kind);
        const auto roll = random_.below(1000);
        if (roll < 40) {
            if (live(std::nullopt) < maxLiveInstances) create(kind);
        } else if (roll < 55) {
            release(*some(kind, 0.0));
        } else if (roll < 65) {
            line(random_.pick({"fail-next-create bus", "fail-next-create base"}));
        } else if (roll < 75) {
            line(status(random_.pick({"midi fail-port", "midi fail-client"}), -10839));
        } else if (roll < 115) {
            restore(*instance);
        } else if (roll < 130) {
            line("save " + instance->name);
        } else if (roll < 150) {
            allocate(*instance, 0.2, 0.2);
        } else if (roll < 170) {
            line("deallocate " + instance->name);
        } else if (roll < 350) {
            midiIn(*some(Kind::monitor));
        } else if (roll < 500) {
            audio(*some(Kind::meter));
        } else if (roll < 525) {
            line(roll < 515 ? "receiver up" : "receiver down");
        } else if (roll < 530) {
            line("receiver auto-connect " + (random_.chance(0.3) ? "off" : json(random_.text(12))));
        } else if (roll < 560) {
            roll < 540 ? addDestination() : removeDestination();
        } else if (roll < 575) {
            line(random_.chance(0.7) ? "midi setup-changed"
                                     : "midi message " + std::to_string(random_.between(-3, 9)));
        } else if (roll < 590) {
            line(status("midi fail-sends " + std::to_string(random_.between(1, 5)), -10838));
        } else if (roll < 600) {
            line("midi throw-sends " + std::to_string(random_.between(1, 4)));
        } else if (roll < 700) {
            notification();
        } else if (roll < 740) {
            press(*some(Kind::monitor));
        } else if (roll < 770) {
            mappingWrite();
            // The host allocating again makes a meter read the file at once.
            if (random_.chance(0.4)) allocate(*some(Kind::meter, 0.0), 0, 0);
        } else if (roll < 775) {
            line("mapping remove");
        } else {
            line("advance " + duration());
        }
    }

    void create(Kind kind) {
        Instance& instance = instances_.emplace_back();
        instance.name = (kind == Kind::monitor ? "mon" : "met") + std::to_string(instances_.size() - 1);
        instance.kind = kind;
        line((kind == Kind::monitor ? "create monitor " : "create meter ") + instance.name);
        if (kind == Kind::meter) ++metersCreated_;
        // Saved states come early (before the 300 ms decision), late, or never.
        if (random_.chance(0.35)) restore(instance);
        if (random_.chance(0.85)) allocate(instance, 0.1, 0);
    }
    void release(Instance& instance) {
        instance.released = true;
        line("release " + instance.name);
    }
    void allocate(const Instance& instance, double noOutput, double fail) {
        const std::string command =
            "allocate " + instance.name + (random_.chance(noOutput) ? " no-output" : "");
        line(command + (random_.chance(fail) ? " fail" : ""));
    }
    // An instance of `kind`: a live one, now and then (or when none lives) a released one. The
    // script opens with one of each kind, so there is always one.
    Instance* some(Kind kind, double releasedShare = 0.1) {
        std::vector<Instance*> live, gone;
        for (Instance& instance : instances_) {
            if (instance.kind == kind) (instance.released ? gone : live).push_back(&instance);
        }
        return !gone.empty() && (live.empty() || random_.chance(releasedShare)) ? random_.pick(gone)
                                                                                : random_.pick(live);
    }
    void addDestination() {
        const std::string name = "dest" + std::to_string(destinationsAdded_++);
        destinations_.push_back(name);
        const auto uid = random_.chance(0.6) ? protocol::KVRT : static_cast<std::int32_t>(random_.bits());
        line("destination add " + name + " uid=" + std::to_string(uid) +
             (random_.chance(0.25) ? " unreadable" : ""));
    }
    void removeDestination() {
        if (destinations_.empty()) return;
        const auto at =
            destinations_.begin() + static_cast<std::ptrdiff_t>(random_.below(destinations_.size()));
        line("destination remove " + *at);
        destinations_.erase(at);
    }

    void midiIn(const Instance& instance) {
        const std::string command = "midi-in " + instance.name + " ";
        const auto sizeRoll = random_.below(100);
        // A storm: controllers sweeping on every channel, more changes than the 256 reports the
        // queue holds, with everything else mixed in.
        const bool storm = sizeRoll >= 92;
        const std::int64_t count = storm           ? random_.between(200, 900)
                                   : sizeRoll < 75 ? random_.between(0, 8)
                                                   : random_.between(9, 120);
        if (count == 0 || random_.chance(0.03)) return line(command + "none");
        std::string events;
        for (std::int64_t i = 0; i < count; ++i) {
            if (i > 0) events += ", ";
            if (!storm || random_.chance(0.2)) {
                events += event();
                continue;
            }
            const auto channel = random_.below(16), controller = random_.below(128);
            events += format("%02" PRIX64 " %02" PRIX64 " %02" PRIX64, 0xB0 + channel, controller,
                             random_.below(128));
        }
        line(command + events);
    }
    // Controllers most often, then pressure, pitch wheel, channel-16 notes, other notes, any byte;
    // now and then of another length, on another cable, at a far sample time, or not MIDI at all.
    std::string event() {
        const std::int64_t sampleTime =
            random_.chance(0.9) ? random_.between(0, 4095) : static_cast<std::int64_t>(random_.bits());
        const auto cable = random_.chance(0.8) ? random_.below(2) : random_.below(256);
        const std::string where =
            "at=" + std::to_string(sampleTime) + (cable != 0 ? " cable=" + std::to_string(cable) : "");
        if (random_.chance(0.12)) return random_.pick({"param ", "ramp ", "sysex ", "eventlist "}) + where;

        const auto lengthRoll = random_.below(100);
        const std::int64_t length = lengthRoll < 82   ? random_.between(1, 3)
                                    : lengthRoll < 88 ? 0
                                                      : random_.between(4, 8);
        const auto status =
            random_.pick<std::uint64_t>({0xB0, 0xB0, 0xB0, 0xD0, 0xE0, 0x9F, 0x90, 0x80, 0, 0});
        const std::uint64_t channel = random_.chance(0.7) ? random_.below(2) : random_.below(16);
        std::uint64_t bytes[3];
        bytes[0] = status == 0 ? random_.below(256) : status == 0x9F ? status : status | channel;
        bytes[1] = random_.chance(0.7) ? random_.pick<std::uint64_t>({1, 7, 10, 11, 64, 74, 120, 127})
                                       : random_.below(256);
        bytes[2] =
            random_.chance(0.4) ? random_.pick<std::uint64_t>({0, 1, 63, 64, 100, 127}) : random_.below(256);
        std::string hex;
        for (std::int64_t i = 0; i < length; ++i)
            hex += format("%02" PRIX64 " ", i < 3 ? bytes[i] : random_.below(256));
        return hex + where;
    }
    void audio(const Instance& instance) {
        // Now and then long enough for the periodic mapping check (every 44th send).
        const std::int64_t calls = random_.chance(0.05)  ? random_.between(45, 100)
                                   : random_.chance(0.6) ? 1
                                                         : random_.between(2, 12);
        const auto frames = random_.chance(0.9)
                                ? random_.pick<std::uint64_t>(
                                      {0, 1, 64, 128, 256, 512, 512, 512, 1000, 1024, 1024, 2048, 2048, 4096})
                                : random_.below(5000);
        std::string command = "audio " + instance.name + " frames=" + std::to_string(frames) +
                              (calls > 1 ? " calls=" + std::to_string(calls) : "");
        command += " left=" + signal();
        command += " right=" + signal();
        const auto bufferRoll = random_.below(100);
        if (bufferRoll >= 80) command += bufferRoll < 90 ? " buffers=1" : " buffers=0";
        if (random_.chance(0.07)) command += " no-pull";
        if (random_.chance(0.07)) command += " pull-status=" + std::to_string(random_.between(-10880, -1));
        line(command);
    }
    std::string signal() {
        switch (random_.below(8)) {
        case 0:
            return random_.pick({"silence", "nan", "inf"});
        case 1:
            return format("dc:%.9g", static_cast<double>(random_.sample()));
        case 2: {
            const double amplitude = random_.chance(0.8) ? 0.5 : 1e30;
            return format("sine:%.9g:%" PRId64, amplitude, random_.between(1, 20000));
        }
        case 3: {
            const double amplitude = random_.sample();
            return format("impulse:%.9g:%" PRIu64, amplitude, random_.below(4096));
        }
        default: {
            // Every kind of sample, repeated with a period that drifts against the call's frames.
            std::string text = "samples:";
            for (std::int64_t count = random_.between(1, 37); count > 0; --count)
                text += format("%.9g", static_cast<double>(random_.sample())) + (count > 1 ? "," : "");
            return text;
        }
        }
    }

    void restore(Instance& instance) {
        if (random_.chance(0.1)) return line("restore " + instance.name + " none");
        // Now and then the other plug-in's state: every key of the wrong kind.
        const bool ownKind = random_.chance(0.85);
        const bool asMonitor = (instance.kind == Kind::monitor) == ownKind;
        line("restore " + instance.name + " " +
             json(asMonitor ? monitorState(ownKind ? &instance : nullptr) : meterState()));
    }
    platform::Value monitorState(Instance* instance) {
        platform::Value state = platform::Value::object();
        if (random_.chance(0.8)) {
            const auto uid = static_cast<std::uint32_t>(random_.bits());
            const auto roll = random_.below(6);
            state["qvUniqueID"] = roll < 2    ? platform::Value(uid)
                                  : roll == 2 ? platform::Value(0)
                                              : oddValue();
            if (roll < 2 && instance != nullptr && uid != 0) instance->uid = uid;
        }
        setSometimes(state, "qvConnected", 0.7, mostly(0.6, random_.chance(0.5)));
        setSometimes(state, "qvTrackName", 0.6, mostly(0.7, random_.text(16)));
        setSometimes(state, "data", 0.3, oddValue());
        if (random_.chance(0.2)) state[random_.text(6)] = oddValue();
        return state;
    }
    platform::Value meterState() {
        platform::Value state = platform::Value::object();
        setSometimes(state, "qvTrackNr", 0.8, mostly(0.6, random_.between(-300, 300)));
        setSometimes(state, "qvTrackName", 0.7, mostly(0.7, random_.text(16)));
        if (random_.chance(0.2)) state[random_.text(6)] = oddValue();
        return state;
    }
    void notification() {
        const auto roll = random_.below(100);
        const std::string command = std::string("notify ") + (roll < 36   ? "connect"
                                                              : roll < 45 ? "disconnect"
                                                                          : "articulations");
        if (random_.chance(0.15)) return line(command + " none");
        platform::Value userInfo = platform::Value::object();
        if (random_.chance(0.2)) {
            // A payload of the wrong shape or types.
            for (const char* key : {"uid", "trackName", "names", "notes"})
                userInfo[key] = oddValue();
        } else if (roll < 45) {
            // Mostly for an instance whose uid a restore made known.
            const Instance* monitor = some(Kind::monitor);
            const bool known = monitor->uid && random_.chance(0.9);
            userInfo["uid"] = known ? *monitor->uid : static_cast<std::uint32_t>(random_.bits());
            setSometimes(userInfo, "trackName", 0.85, mostly(0.8, random_.text(12)));
        } else {
            std::vector<std::string> names;
            std::vector<std::int64_t> notes;
            for (auto count = random_.below(9); count > 0; --count) {
                names.push_back(random_.text(10));
                notes.push_back(random_.chance(0.9) ? random_.between(0, 127) : random_.between(-1000, 1000));
            }
            userInfo["names"] = names;
            setSometimes(userInfo, "notes", 0.8, mostly(0.85, notes));
        }
        line(command + " " + json(userInfo));
    }
    void press(Instance& instance) {
        if (!instance.released && (!instance.viewOpen || random_.chance(0.1))) {
            instance.viewOpen = !instance.viewOpen || random_.chance(0.5);
            line("view " + instance.name + (instance.viewOpen ? " open" : " close"));
        }
        line("press " + instance.name + (random_.chance(0.7) ? " connect" : " disconnect"));
    }
    void mappingWrite() {
        const std::string keep = random_.chance(0.15) ? " mtime=keep" : "";
        if (random_.chance(0.2)) {
            const std::string raw =
                random_.chance(0.6)
                    ? random_.pick<std::string>({"", "{", "null", "[1, 2]", "{\"1\": 5}", "{\"1\": {}}",
                                                 "{\"1\": {\"trackNr\": 1e999}}"})
                    : random_.text(40);
            return line("mapping write " + json(raw) + keep);
        }
        platform::Value file = platform::Value::object();
        for (auto count = random_.between(1, 4); count > 0; --count) {
            // Instance numbers count up from 1 in a fresh process, one per meter made.
            std::string key = random_.pick<std::string>({"0", "128", "-1", "01", "x"});
            if (random_.chance(0.75)) key = std::to_string(random_.between(1, metersCreated_));
            platform::Value entry = platform::Value::object();
            setSometimes(entry, "trackNr", 0.9, mostly(0.75, random_.between(-3, 200)));
            setSometimes(entry, "trackName", 0.8, mostly(0.8, random_.text(12)));
            file[key] = mostly(0.95, entry);
        }
        line("mapping write " + json(file) + keep);
    }
    std::string duration() {
        const auto roll = random_.below(100);
        const std::int64_t microseconds = roll < 5    ? 0
                                          : roll < 55 ? random_.between(1, 30'000)
                                          : roll < 80 ? random_.between(30'000, 300'000)
                                                      : random_.between(300'000, 2'500'000);
        return format("%" PRId64 ".%03" PRId64 "ms", microseconds / 1000, microseconds % 1000);
    }

    // `value` mostly, else a value of another type or range. How each reader takes every shape is
    // for the fuzzers; here such values only have to come at any time.
    platform::Value mostly(double p, platform::Value value) {
        return random_.chance(p) ? std::move(value) : oddValue();
    }
    void setSometimes(platform::Value& object, const char* key, double p, platform::Value value) {
        if (random_.chance(p)) object[key] = std::move(value);
    }
    platform::Value oddValue() {
        static const platform::Value values = platform::Value::parse(R"([
            null, true, false, 0, -1, 300, 0.5, -1.5, 1e20, -1e20, 4294967295.9, 4294967296,
            18446744073709551615, -9223372036854775808, 1e-300, "", "7", "a\"\\\n", [], [24, "a"],
            ["Legato"], {}, {"uid": 1, "names": ["a"], "notes": [24]}, {"0": "x", "1": 64, "99": 1}])");
        if (random_.chance(0.2)) return static_cast<std::int64_t>(random_.bits());
        return values[random_.below(values.size())];
    }

    std::uint64_t seed_;
    SimRandom random_;
    std::vector<std::string> lines_;
    std::vector<Instance> instances_;
    std::vector<std::string> destinations_; // extra destinations not yet removed
    std::size_t destinationsAdded_ = 0;
    std::int64_t metersCreated_ = 0;
};

} // namespace

std::string generateScript(std::uint64_t seed, std::size_t length) {
    return ScriptGenerator(seed).generate(length);
}

} // namespace vantrel::simulation
