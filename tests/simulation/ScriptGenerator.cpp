#include "ScriptGenerator.h"

#include <algorithm>
#include <bit>
#include <cinttypes>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

#include "SimulationObserver.h"
#include "platform/core/Status.h"
#include "platform/core/Value.h"
#include "protocol/ReceiverMessages.h"

namespace vantrel::simulation {

namespace {

// A 64-bit Mersenne Twister read through arithmetic of our own, so that one seed gives the same
// scenario with every standard library.
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
    // True with probability `p`.
    bool chance(double p) { return static_cast<double>(bits() >> 11) * 0x1.0p-53 < p; }
    template <typename T> const T& pick(const std::vector<T>& choices) {
        return choices[below(choices.size())];
    }

    // A sample for a stress signal: ordinary levels, silence, signed zero, denormals, huge and
    // infinite values and NaNs with assorted payloads.
    float sample() {
        switch (below(16)) {
        case 0:
            return std::numeric_limits<float>::quiet_NaN();
        case 1:
            // Any NaN: quiet or signalling, either sign, any payload.
            return std::bit_cast<float>(static_cast<std::uint32_t>(0x7F800001u | (bits() & 0x803FFFFFu)));
        case 2:
            return chance(0.5) ? std::numeric_limits<float>::infinity()
                               : -std::numeric_limits<float>::infinity();
        case 3:
            return chance(0.5) ? std::numeric_limits<float>::max() : -1e30f;
        case 4:
            return std::bit_cast<float>(static_cast<std::uint32_t>(bits() & 0x807FFFFFu)); // zero or denormal
        case 5:
            return chance(0.5) ? 0.0f : -0.0f;
        case 6:
            return std::bit_cast<float>(static_cast<std::uint32_t>(bits())); // any bit pattern
        default:
            return static_cast<float>(static_cast<double>(between(-2'000'000, 2'000'000)) / 1'000'000.0);
        }
    }
    // Printable text, now and then with quotes, backslashes, newlines and non-ASCII letters.
    std::string text(std::size_t maxLength) {
        static const std::vector<std::string> pieces = {"a",  "Z",  " ", "7", "-", "\"", "\\", "'", "\n",
                                                        "%s", "%@", "{", "ä", "ß", "→",  "🎻",  "\t"};
        std::string result;
        const std::size_t length = below(maxLength + 1);
        for (std::size_t i = 0; i < length; ++i)
            result += chance(0.7) ? std::string(1, static_cast<char>('a' + below(26))) : pick(pieces);
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

        line("midi fail-sends 0");
        line("midi throw-sends 0");
        line("receiver up");
        line("advance 3s");
        line(settleMark);
        for (Instance& instance : instances_) {
            if (!instance.released) line("release " + instance.name);
            instance.released = true;
        }
        line(quietMark);
        // Render blocks that outlive their instances must do nothing.
        for (const Instance& instance : instances_) {
            if (instance.kind == Kind::monitor) {
                midiIn(instance);
            } else {
                audio(instance);
            }
        }
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
        // A kind with no instance left gets a new one before long.
        if (!liveInstance(kind) && random_.chance(0.5)) return create(kind);
        const auto some = [&](Kind of) -> Instance* {
            const auto index = anyInstance(of);
            return index ? &instances_[*index] : nullptr;
        };
        const auto status = [&](platform::OSStatus usual) {
            return std::to_string(random_.chance(0.5) ? usual
                                                      : static_cast<platform::OSStatus>(random_.bits()));
        };
        const auto roll = random_.below(1000);
        if (roll < 40) {
            const auto live = std::ranges::count(instances_, false, &Instance::released);
            if (static_cast<std::size_t>(live) < maxLiveInstances) create(kind);
        } else if (roll < 55) {
            if (const auto index = liveInstance(kind)) {
                instances_[*index].released = true;
                line("release " + instances_[*index].name);
            }
        } else if (roll < 65) {
            line(random_.chance(0.5) ? "fail-next-create bus" : "fail-next-create base");
        } else if (roll < 75) {
            line((random_.chance(0.5) ? "midi fail-port status=" : "midi fail-client status=") +
                 status(-10839));
        } else if (roll < 115) {
            if (Instance* instance = some(kind)) restore(*instance);
        } else if (roll < 130) {
            if (Instance* instance = some(kind)) line("save " + instance->name);
        } else if (roll < 150) {
            if (Instance* instance = some(kind))
                line("allocate " + instance->name + (random_.chance(0.2) ? " no-output" : "") +
                     (random_.chance(0.2) ? " fail" : ""));
        } else if (roll < 170) {
            if (Instance* instance = some(kind)) line("deallocate " + instance->name);
        } else if (roll < 350) {
            if (Instance* instance = some(Kind::monitor)) midiIn(*instance);
        } else if (roll < 500) {
            if (Instance* instance = some(Kind::meter)) audio(*instance);
        } else if (roll < 515) {
            line("receiver up");
        } else if (roll < 525) {
            line("receiver down");
        } else if (roll < 530) {
            line(random_.chance(0.3) ? std::string("receiver auto-connect off")
                                     : "receiver auto-connect " + json(random_.text(12)));
        } else if (roll < 540) {
            const std::string name = "dest" + std::to_string(destinationsAdded_++);
            destinations_.push_back(name);
            const std::int32_t uid =
                random_.chance(0.6) ? protocol::KVRT : static_cast<std::int32_t>(random_.bits());
            line("destination add " + name + " uid=" + std::to_string(uid) +
                 (random_.chance(0.25) ? " unreadable" : ""));
        } else if (roll < 560) {
            if (!destinations_.empty()) {
                const auto index = random_.below(destinations_.size());
                line("destination remove " + destinations_[index]);
                destinations_.erase(destinations_.begin() + static_cast<std::ptrdiff_t>(index));
            }
        } else if (roll < 575) {
            line(random_.chance(0.7) ? std::string("midi setup-changed")
                                     : "midi message " + std::to_string(random_.between(-3, 9)));
        } else if (roll < 590) {
            line("midi fail-sends " + std::to_string(random_.between(1, 5)) + " status=" + status(-10838));
        } else if (roll < 600) {
            line("midi throw-sends " + std::to_string(random_.between(1, 4)));
        } else if (roll < 700) {
            notification();
        } else if (roll < 740) {
            if (Instance* instance = some(Kind::monitor)) press(*instance);
        } else if (roll < 770) {
            mappingWrite();
            // The host allocating again makes a meter read the file at once.
            if (random_.chance(0.4)) {
                if (const auto index = liveInstance(Kind::meter)) line("allocate " + instances_[*index].name);
            }
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
        if (random_.chance(0.85))
            line("allocate " + instance.name + (random_.chance(0.1) ? " no-output" : ""));
    }
    std::optional<std::size_t> anyInstance(Kind kind, double releasedShare = 0.1) {
        std::vector<std::size_t> live;
        std::vector<std::size_t> gone;
        for (std::size_t index = 0; index < instances_.size(); ++index) {
            if (instances_[index].kind == kind) (instances_[index].released ? gone : live).push_back(index);
        }
        if (!gone.empty() && (live.empty() || random_.chance(releasedShare))) return random_.pick(gone);
        if (live.empty()) return std::nullopt;
        return random_.pick(live);
    }
    std::optional<std::size_t> liveInstance(Kind kind) { return anyInstance(kind, 0.0); }

    void midiIn(const Instance& instance) {
        const std::string command = "midi-in " + instance.name + " ";
        const auto sizeRoll = random_.below(100);
        std::int64_t count = sizeRoll < 75 ? random_.between(0, 8) : random_.between(9, 120);
        // A storm: controllers sweeping on every channel, more changes than the 256 reports the queue
        // holds, with everything else mixed in.
        const bool storm = sizeRoll >= 92;
        if (storm) count = random_.between(200, 900);
        if (count == 0 || random_.chance(0.03)) return line(command + "none");
        std::string events;
        for (std::int64_t i = 0; i < count; ++i) {
            if (i > 0) events += ", ";
            events += storm && random_.chance(0.8)
                          ? format("%02" PRIX64 " %02" PRIX64 " %02" PRIX64, 0xB0 + random_.below(16),
                                   random_.below(128), random_.below(128))
                          : event();
        }
        line(command + events);
    }
    std::string event() {
        static const std::vector<std::string> otherTypes = {"param", "ramp", "sysex", "eventlist"};
        static const std::vector<std::uint8_t> controllers = {1, 7, 10, 11, 64, 74, 120, 127};
        static const std::vector<std::uint8_t> values = {0, 1, 63, 64, 100, 127};
        const std::int64_t sampleTime =
            random_.chance(0.9) ? random_.between(0, 4095) : static_cast<std::int64_t>(random_.bits());
        const auto cable = random_.chance(0.8) ? random_.below(2) : random_.below(256);
        std::string text =
            "at=" + std::to_string(sampleTime) + (cable != 0 ? " cable=" + std::to_string(cable) : "");
        if (random_.chance(0.12)) return random_.pick(otherTypes) + " " + text;

        const auto lengthRoll = random_.below(100);
        const std::uint64_t length = lengthRoll < 82   ? random_.between(1, 3)
                                     : lengthRoll < 88 ? 0
                                                       : random_.between(4, 8);
        // Controllers most often, then pressure, pitch wheel, channel-16 notes, other notes, any byte.
        static const std::vector<std::uint64_t> statuses = {0xB0, 0xB0, 0xB0, 0xD0, 0xE0,
                                                            0x9F, 0x90, 0x80, 0,    0};
        const std::uint64_t status = random_.pick(statuses);
        const std::uint64_t channel = random_.chance(0.7) ? random_.below(2) : random_.below(16);
        std::uint64_t bytes[8];
        bytes[0] = status == 0 ? random_.below(256) : status == 0x9F ? status : status | channel;
        bytes[1] = random_.chance(0.7) ? random_.pick(controllers) : random_.below(256);
        bytes[2] = random_.chance(0.4) ? random_.pick(values) : random_.below(256);
        for (std::size_t i = 3; i < 8; ++i)
            bytes[i] = random_.below(256);
        std::string hex;
        for (std::uint64_t i = 0; i < length; ++i)
            hex += format("%02" PRIX64 " ", bytes[i]);
        return hex + text;
    }
    void audio(const Instance& instance) {
        static const std::vector<std::uint32_t> frameCounts = {0,   1,    64,   128,  256,  512,  512,
                                                               512, 1000, 1024, 1024, 2048, 2048, 4096};
        std::uint64_t calls = random_.chance(0.6) ? 1 : random_.between(2, 12);
        // Now and then long enough for the periodic mapping check (every 44th send).
        if (random_.chance(0.05)) calls = random_.between(45, 100);
        const std::uint64_t frames = random_.chance(0.9) ? random_.pick(frameCounts) : random_.below(5000);
        std::string command = "audio " + instance.name + " frames=" + std::to_string(frames);
        if (calls > 1) command += " calls=" + std::to_string(calls);
        command += " left=" + signal() + " right=" + signal();
        const auto bufferRoll = random_.below(100);
        if (bufferRoll >= 80) command += bufferRoll < 90 ? " buffers=1" : " buffers=0";
        if (random_.chance(0.07)) command += " no-pull";
        if (random_.chance(0.07)) command += " pull-status=" + std::to_string(random_.between(-10880, -1));
        line(command);
    }
    std::string signal() {
        switch (random_.below(10)) {
        case 0:
            return "silence";
        case 1:
            return "nan";
        case 2:
            return "inf";
        case 3:
            return format("dc:%.9g", static_cast<double>(random_.sample()));
        case 4:
            return format("sine:%.9g:%" PRIu64, random_.chance(0.8) ? 0.5 : 1e30, random_.between(1, 20000));
        case 5:
            return format("impulse:%.9g:%" PRIu64, static_cast<double>(random_.sample()),
                          random_.below(4096));
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
        const std::string command = "restore " + instance.name + " ";
        if (random_.chance(0.1)) return line(command + "none");
        // Now and then the other plug-in's state: every key of the wrong kind.
        const bool ownKind = random_.chance(0.85);
        if ((instance.kind == Kind::monitor) == ownKind) {
            line(command + json(monitorState(ownKind ? &instance : nullptr)));
        } else {
            line(command + json(meterState()));
        }
    }
    void notification() {
        const auto roll = random_.below(100);
        const std::string name = roll < 36 ? "connect" : roll < 45 ? "disconnect" : "articulations";
        platform::Value userInfo = platform::Value::object();
        if (random_.chance(0.15)) return line("notify " + name + " none");
        if (random_.chance(0.2)) {
            // A payload of the wrong shape or types.
            userInfo = {{"uid", oddValue()}, {"trackName", oddValue()}, {"names", oddValue()},
                        {"notes", oddValue()}};
        } else if (name != "articulations") {
            // Mostly for an instance whose uid a restore made known.
            const auto index = anyInstance(Kind::monitor);
            const auto known = index ? instances_[*index].uid : std::nullopt;
            userInfo["uid"] =
                known && random_.chance(0.9) ? *known : static_cast<std::uint32_t>(random_.bits());
            if (random_.chance(0.85))
                userInfo["trackName"] = random_.chance(0.8) ? platform::Value(random_.text(12)) : oddValue();
        } else {
            std::vector<std::string> names;
            std::vector<std::int64_t> notes;
            for (auto count = random_.below(9); count > 0; --count) {
                names.push_back(random_.text(10));
                notes.push_back(random_.chance(0.9) ? random_.between(0, 127) : random_.between(-1000, 1000));
            }
            userInfo["names"] = names;
            if (random_.chance(0.8))
                userInfo["notes"] = random_.chance(0.85) ? platform::Value(notes) : oddValue();
        }
        line("notify " + name + " " + json(userInfo));
    }
    void press(Instance& instance) {
        if (!instance.released && (!instance.viewOpen || random_.chance(0.1))) {
            instance.viewOpen = !instance.viewOpen || random_.chance(0.5);
            line("view " + instance.name + (instance.viewOpen ? " open" : " close"));
        }
        line("press " + instance.name + (random_.chance(0.7) ? " connect" : " disconnect"));
    }
    void mappingWrite() {
        static const std::vector<std::string> brokenTexts = {
            "", "{", "null", "[1, 2]", "{\"1\": 5}", "{\"1\": {}}", "{\"1\": {\"trackNr\": 1e999}}"};
        const std::string keep = random_.chance(0.15) ? " mtime=keep" : "";
        if (random_.chance(0.2)) {
            const std::string raw = random_.chance(0.6) ? random_.pick(brokenTexts) : random_.text(40);
            return line("mapping write " + json(raw) + keep);
        }
        platform::Value file = platform::Value::object();
        for (auto count = random_.between(1, 4); count > 0; --count) {
            // Instance numbers count up from 1 in a fresh process, one per meter made.
            std::string key = random_.pick(std::vector<std::string>{"0", "128", "-1", "01", "x"});
            if (random_.chance(0.75) && metersCreated_ > 0)
                key = std::to_string(random_.between(1, static_cast<std::int64_t>(metersCreated_)));
            platform::Value entry = platform::Value::object();
            if (random_.chance(0.9))
                entry["trackNr"] =
                    random_.chance(0.75) ? platform::Value(random_.between(-3, 200)) : oddValue();
            if (random_.chance(0.8))
                entry["trackName"] = random_.chance(0.8) ? platform::Value(random_.text(12)) : oddValue();
            file[key] = random_.chance(0.95) ? entry : oddValue();
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
    platform::Value monitorState(Instance* instance) {
        platform::Value state = platform::Value::object();
        if (random_.chance(0.8)) {
            const auto roll = random_.below(6);
            if (roll < 2) {
                const auto uid = static_cast<std::uint32_t>(random_.bits());
                state["qvUniqueID"] = uid;
                if (instance != nullptr && uid != 0) instance->uid = uid;
            } else {
                state["qvUniqueID"] = roll == 2 ? platform::Value(0) : oddValue();
            }
        }
        if (random_.chance(0.7))
            state["qvConnected"] = random_.chance(0.6) ? platform::Value(random_.chance(0.5)) : oddValue();
        if (random_.chance(0.6))
            state["qvTrackName"] = random_.chance(0.7) ? platform::Value(random_.text(16)) : oddValue();
        if (random_.chance(0.3)) state["data"] = oddValue();
        if (random_.chance(0.2)) state[random_.text(6)] = oddValue();
        return state;
    }
    platform::Value meterState() {
        platform::Value state = platform::Value::object();
        if (random_.chance(0.8))
            state["qvTrackNr"] =
                random_.chance(0.6) ? platform::Value(random_.between(-300, 300)) : oddValue();
        if (random_.chance(0.7))
            state["qvTrackName"] = random_.chance(0.7) ? platform::Value(random_.text(16)) : oddValue();
        if (random_.chance(0.2)) state[random_.text(6)] = oddValue();
        return state;
    }
    // A value of another type or range than the reader expects: how each reader takes every
    // shape is for the fuzzers; here such values only have to come at any time.
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
    std::size_t metersCreated_ = 0;
};

} // namespace

std::string generateScript(std::uint64_t seed, std::size_t length) {
    return ScriptGenerator(seed).generate(length);
}

} // namespace vantrel::simulation
