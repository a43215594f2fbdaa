#include "host/script/ScriptParser.h"

#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <set>

#include "host/script/LineReader.h"
#include "host/script/Numbers.h"
#include "platform/midi/MIDIServices.h"

namespace vantrel::host {

namespace {

using platform::OSStatus;

constexpr platform::AUAudioFrameCount maxFramesPerCall = 65536;
constexpr std::uint32_t maxCalls = 10'000'000;
constexpr std::size_t maxEventBytes = 8;

[[noreturn]] void fail(const std::string& message) {
    throw std::invalid_argument(message);
}

std::string quote(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// The next word, which must be one of `choices`; the error names those allowed.
template <class Value>
Value choose(LineReader& reader, const std::string& what,
             std::initializer_list<std::pair<std::string_view, Value>> choices) {
    std::string allowed;
    for (const auto& choice : choices)
        allowed += (allowed.empty() ? "" : ", ") + std::string(choice.first);
    const std::string_view word = reader.word(what + " (" + allowed + ")");
    for (const auto& [name, value] : choices)
        if (word == name) return value;
    fail("unknown " + what + " " + quote(word) + " (" + allowed + ")");
}

// `key=value` words: the value when `word` has this key, else none.
std::optional<std::string_view> option(std::string_view word, std::string_view key) {
    if (word.size() > key.size() && word.substr(0, key.size()) == key && word[key.size()] == '=')
        return word.substr(key.size() + 1);
    return std::nullopt;
}

std::int64_t signedIn(std::string_view text, std::int64_t low, std::int64_t high, std::string_view what) {
    const auto value = parseSigned(text);
    if (!value || *value < low || *value > high)
        fail("bad " + std::string(what) + " " + quote(text) + " (" + std::to_string(low) + " to " +
             std::to_string(high) + ")");
    return *value;
}

std::uint64_t unsignedIn(std::string_view text, std::uint64_t low, std::uint64_t high,
                         std::string_view what) {
    const auto value = parseUnsigned(text);
    if (!value || *value < low || *value > high)
        fail("bad " + std::string(what) + " " + quote(text) + " (" + std::to_string(low) + " to " +
             std::to_string(high) + ")");
    return *value;
}

OSStatus status(std::string_view text) {
    return static_cast<OSStatus>(signedIn(text, INT32_MIN, INT32_MAX, "status"));
}

int count(std::string_view text) {
    return static_cast<int>(unsignedIn(text, 0, INT32_MAX, "count"));
}

// An optional trailing "status=S"; `fallback` when absent.
OSStatus statusOption(LineReader& reader, OSStatus fallback) {
    const auto word = reader.nextWord();
    if (!word) return fallback;
    const auto value = option(*word, "status");
    if (!value) fail("unexpected argument " + quote(*word) + " (status=S)");
    reader.end();
    return status(*value);
}

bool isNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.';
}

std::optional<std::uint8_t> hexByte(std::string_view word) {
    if (word.empty() || word.size() > 2) return std::nullopt;
    const auto value = parseUnsigned("0x" + std::string(word));
    if (!value) return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

ScriptEvent parseEvent(std::string_view text) {
    ScriptEvent event;
    bool typed = false;
    static const std::map<std::string_view, platform::AURenderEventType> keywords{
        {"param", platform::AURenderEventParameter},
        {"ramp", platform::AURenderEventParameterRamp},
        {"sysex", platform::AURenderEventMIDISysEx},
        {"eventlist", platform::AURenderEventMIDIEventList},
    };
    LineReader words(text);
    while (const auto word = words.nextWord()) {
        if (const auto at = option(*word, "at")) {
            event.sampleTime = signedIn(*at, INT64_MIN, INT64_MAX, "sample time");
        } else if (const auto cable = option(*word, "cable")) {
            event.cable = static_cast<std::uint8_t>(unsignedIn(*cable, 0, 255, "cable"));
        } else if (const auto keyword = keywords.find(*word); keyword != keywords.end()) {
            if (typed) fail("more than one event type in event " + quote(trim(text)));
            event.type = keyword->second;
            typed = true;
        } else if (const auto byte = hexByte(*word)) {
            event.bytes.push_back(*byte);
        } else if (*word == "none") {
            fail("none stands alone: it gives a null event list");
        } else {
            fail("bad event word " + quote(*word) +
                 " (hex bytes, at=T, cable=C, param, ramp, sysex, eventlist)");
        }
    }
    if (typed && !event.bytes.empty()) fail("a " + std::string(trim(text)) + " event takes no bytes");
    if (event.bytes.size() > maxEventBytes)
        fail("event " + quote(trim(text)) + " has " + std::to_string(event.bytes.size()) +
             " bytes (at most 8)");
    return event;
}

std::vector<std::string_view> splitEvents(std::string_view text) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto comma = text.find(',');
        parts.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos) return parts;
        text.remove_prefix(comma + 1);
    }
}

std::optional<platform::Dictionary> objectOrNone(std::string_view text, std::string_view what) {
    if (text == "none") return std::nullopt;
    platform::Value value = parseJSON(text, what);
    if (!value.is_object()) fail(std::string(what) + " must be a JSON object or none");
    return value;
}

class Parser {
public:
    Script run(std::string_view text) {
        int lineNumber = 0;
        std::size_t start = 0;
        for (;;) {
            ++lineNumber;
            const auto newline = text.find('\n', start);
            const std::string_view line = text.substr(
                start, newline == std::string_view::npos ? std::string_view::npos : newline - start);
            try {
                parseLine(lineNumber, line);
            } catch (const std::exception& error) {
                throw ScriptError(lineNumber, error.what());
            }
            if (newline == std::string_view::npos) return std::move(script_);
            start = newline + 1;
        }
    }

private:
    using Handler = Command (Parser::*)(LineReader&);

    void parseLine(int lineNumber, std::string_view line) {
        LineReader reader(stripComment(line));
        const auto word = reader.nextWord();
        if (!word) return;
        static const std::map<std::string_view, Handler> handlers{
            {"seed", &Parser::seed},
            {"receiver", &Parser::receiver},
            {"destination", &Parser::destination},
            {"midi", &Parser::midi},
            {"fail-next-create", &Parser::failNextCreate},
            {"create", &Parser::create},
            {"restore", &Parser::restore},
            {"save", &Parser::save},
            {"allocate", &Parser::allocate},
            {"deallocate", &Parser::deallocate},
            {"release", &Parser::release},
            {"midi-in", &Parser::midiIn},
            {"audio", &Parser::audio},
            {"notify", &Parser::notify},
            {"view", &Parser::view},
            {"press", &Parser::press},
            {"mapping", &Parser::mapping},
            {"advance", &Parser::advance},
        };
        const auto handler = handlers.find(*word);
        if (handler == handlers.end()) fail("unknown command " + quote(*word));
        script_.lines.push_back({lineNumber, (this->*handler->second)(reader)});
    }

    InstanceRef instance(LineReader& reader) {
        const std::string name = reader.name("instance name");
        const auto found = instances_.find(name);
        if (found == instances_.end()) fail("unknown instance name " + quote(name));
        return found->second;
    }

    InstanceRef instanceOf(LineReader& reader, InstanceKind kind, std::string_view command) {
        InstanceRef ref = instance(reader);
        if (ref.kind != kind)
            fail(std::string(command) + " needs a " + (kind == InstanceKind::monitor ? "monitor" : "meter") +
                 "; " + quote(ref.name) + " is a " +
                 (ref.kind == InstanceKind::monitor ? "monitor" : "meter"));
        return ref;
    }

    Command seed(LineReader& reader) {
        const auto value = parseUnsigned(reader.word("seed"));
        if (!value) fail("bad seed (a whole number)");
        reader.end();
        return SeedCommand{*value};
    }

    Command receiver(LineReader& reader) {
        const std::string_view action = reader.word("receiver action (up, down, auto-connect)");
        if (action == "up") {
            ReceiverUpCommand command{"receiver"};
            if (!reader.atEnd()) command.destinationName = reader.name("destination name");
            reader.end();
            return command;
        }
        if (action == "down") {
            reader.end();
            return ReceiverDownCommand{};
        }
        if (action == "auto-connect") {
            ReceiverAutoConnectCommand command;
            if (reader.quotedNext()) {
                command.trackName = reader.quoted("track name");
            } else if (reader.word("track name or off") != "off") {
                fail("auto-connect takes a quoted track name or off");
            }
            reader.end();
            return command;
        }
        fail("unknown receiver action " + quote(action) + " (up, down, auto-connect)");
    }

    Command destination(LineReader& reader) {
        const std::string_view action = reader.word("destination action (add, remove)");
        if (action == "add") {
            DestinationAddCommand command;
            command.name = reader.name("destination name");
            if (destinations_.contains(command.name))
                fail("destination " + quote(command.name) + " already exists");
            while (const auto word = reader.nextWord()) {
                if (const auto uid = option(*word, "uid")) {
                    // Unique IDs are signed 32-bit; written unsigned (0x4B565254) they wrap.
                    command.uniqueID = static_cast<std::int32_t>(
                        static_cast<std::uint32_t>(signedIn(*uid, INT32_MIN, UINT32_MAX, "unique ID")));
                } else if (*word == "unreadable") {
                    command.unreadable = true;
                } else {
                    fail("unexpected argument " + quote(*word) + " (uid=N, unreadable)");
                }
            }
            destinations_.insert(command.name);
            return command;
        }
        if (action == "remove") {
            DestinationRemoveCommand command{reader.name("destination name")};
            reader.end();
            if (destinations_.erase(command.name) == 0) fail("unknown destination " + quote(command.name));
            return command;
        }
        fail("unknown destination action " + quote(action) + " (add, remove)");
    }

    Command midi(LineReader& reader) {
        const std::string_view action = reader.word(
            "midi action (setup-changed, message, fail-sends, throw-sends, fail-client, fail-port)");
        if (action == "setup-changed") {
            reader.end();
            return MIDINotificationCommand{platform::kMIDIMsgSetupChanged};
        }
        if (action == "message") {
            const auto id = signedIn(reader.word("message ID"), INT32_MIN, INT32_MAX, "message ID");
            reader.end();
            return MIDINotificationCommand{static_cast<std::int32_t>(id)};
        }
        if (action == "fail-sends") {
            MIDIFailSendsCommand command;
            command.count = count(reader.word("count"));
            command.status = statusOption(reader, platform::kMIDIMessageSendErr);
            return command;
        }
        if (action == "throw-sends") {
            MIDIThrowSendsCommand command{count(reader.word("count"))};
            reader.end();
            return command;
        }
        if (action == "fail-client") {
            return MIDIFailCreateCommand{MIDIFailCreateCommand::Object::client,
                                         statusOption(reader, platform::kMIDIServerStartErr)};
        }
        if (action == "fail-port") {
            return MIDIFailCreateCommand{MIDIFailCreateCommand::Object::port,
                                         statusOption(reader, platform::kMIDIUnknownError)};
        }
        fail("unknown midi action " + quote(action) +
             " (setup-changed, message, fail-sends, throw-sends, fail-client, fail-port)");
    }

    Command failNextCreate(LineReader& reader) {
        using Stage = FailNextCreateCommand::Stage;
        const Stage stage = choose<Stage>(reader, "stage", {{"base", Stage::base}, {"bus", Stage::bus}});
        reader.end();
        return FailNextCreateCommand{stage};
    }

    Command create(LineReader& reader) {
        InstanceRef ref;
        ref.kind = choose<InstanceKind>(reader, "plug-in",
                                        {{"monitor", InstanceKind::monitor}, {"meter", InstanceKind::meter}});
        ref.name = reader.name("instance name");
        reader.end();
        for (const char c : ref.name) {
            if (!isNameCharacter(c))
                fail("bad instance name " + quote(ref.name) + " (letters, digits, '_', '-', '.')");
        }
        if (instances_.contains(ref.name)) fail("instance name " + quote(ref.name) + " is already taken");
        ref.index = script_.instances.size();
        instances_.emplace(ref.name, ref);
        script_.instances.push_back(ref);
        return CreateCommand{ref};
    }

    Command restore(LineReader& reader) {
        RestoreCommand command{instance(reader), std::nullopt};
        command.state = objectOrNone(reader.rest("state (a JSON object or none)"), "state");
        return command;
    }

    Command save(LineReader& reader) {
        SaveCommand command{instance(reader)};
        reader.end();
        return command;
    }

    Command allocate(LineReader& reader) {
        AllocateCommand command{instance(reader)};
        while (const auto word = reader.nextWord()) {
            if (*word == "no-output") {
                command.noOutput = true;
            } else if (*word == "fail") {
                command.fail = true;
            } else {
                fail("unexpected argument " + quote(*word) + " (no-output, fail)");
            }
        }
        return command;
    }

    Command deallocate(LineReader& reader) {
        DeallocateCommand command{instance(reader)};
        reader.end();
        return command;
    }

    Command release(LineReader& reader) {
        ReleaseCommand command{instance(reader)};
        reader.end();
        return command;
    }

    Command midiIn(LineReader& reader) {
        MIDIInCommand command;
        command.instance = instanceOf(reader, InstanceKind::monitor, "midi-in");
        const std::string_view events = reader.rest("events");
        if (events == "none") {
            command.nullList = true;
            return command;
        }
        for (const std::string_view text : splitEvents(events))
            command.events.push_back(parseEvent(text));
        return command;
    }

    Command audio(LineReader& reader) {
        AudioCommand command;
        command.instance = instanceOf(reader, InstanceKind::meter, "audio");
        bool framesGiven = false;
        while (const auto word = reader.nextWord()) {
            if (const auto frames = option(*word, "frames")) {
                command.frames = static_cast<platform::AUAudioFrameCount>(
                    unsignedIn(*frames, 0, maxFramesPerCall, "frames"));
                framesGiven = true;
            } else if (const auto calls = option(*word, "calls")) {
                command.calls = static_cast<std::uint32_t>(unsignedIn(*calls, 1, maxCalls, "calls"));
            } else if (const auto left = option(*word, "left")) {
                command.left = parseSignal(*left);
            } else if (const auto right = option(*word, "right")) {
                command.right = parseSignal(*right);
            } else if (const auto buffers = option(*word, "buffers")) {
                command.buffers = static_cast<std::uint32_t>(unsignedIn(*buffers, 0, 2, "buffers"));
            } else if (*word == "no-pull") {
                command.pull = false;
            } else if (const auto pullStatus = option(*word, "pull-status")) {
                command.pullStatus = status(*pullStatus);
            } else {
                fail("unexpected argument " + quote(*word) +
                     " (frames=N, calls=K, left=SIG, right=SIG, buffers=B, no-pull, pull-status=S)");
            }
        }
        if (!framesGiven) fail("missing frames=N");
        return command;
    }

    Command notify(LineReader& reader) {
        const std::string_view name =
            choose<std::string_view>(reader, "notification",
                                     {{"connect", "com.marlek.vantrel.connect"},
                                      {"disconnect", "com.marlek.vantrel.disconnect"},
                                      {"articulations", "com.marlek.vantrel.articulations"}});
        return NotifyCommand{std::string(name),
                             objectOrNone(reader.rest("userInfo (a JSON object or none)"), "userInfo")};
    }

    Command view(LineReader& reader) {
        ViewCommand command;
        command.instance = instance(reader);
        using Action = ViewCommand::Action;
        command.action = choose<Action>(reader, "view action",
                                        {{"open", Action::open},
                                         {"close", Action::close},
                                         {"show", Action::show},
                                         {"snapshot", Action::snapshot}});
        if (command.action == Action::snapshot) {
            command.snapshotFile = std::string(reader.word("snapshot file"));
            if (!reader.atEnd()) {
                using Appearance = platform::ui::render::Appearance;
                command.appearance = choose<Appearance>(
                    reader, "appearance", {{"dark", Appearance::dark}, {"light", Appearance::light}});
            }
        }
        reader.end();
        return command;
    }

    Command press(LineReader& reader) {
        PressCommand command;
        command.instance = instanceOf(reader, InstanceKind::monitor, "press");
        using Button = PressCommand::Button;
        command.button = choose<Button>(reader, "button",
                                        {{"connect", Button::connect}, {"disconnect", Button::disconnect}});
        reader.end();
        return command;
    }

    Command mapping(LineReader& reader) {
        const std::string_view action = reader.word("mapping action (write, remove)");
        if (action == "remove") {
            reader.end();
            return MappingRemoveCommand{};
        }
        if (action != "write") fail("unknown mapping action " + quote(action) + " (write, remove)");
        MappingWriteCommand command;
        std::string_view content = reader.rest("content (JSON or a quoted text)");
        constexpr std::string_view keep = "mtime=keep";
        if (content.size() > keep.size() && content.substr(content.size() - keep.size()) == keep &&
            (content[content.size() - keep.size() - 1] == ' ' ||
             content[content.size() - keep.size() - 1] == '\t')) {
            command.keepModificationDate = true;
            content = trim(content.substr(0, content.size() - keep.size()));
        }
        platform::Value value = parseJSON(content, "mapping content");
        if (value.is_string()) {
            command.content = value.get<std::string>();
        } else {
            command.content = value.dump();
        }
        command.shown = std::move(value);
        return command;
    }

    Command advance(LineReader& reader) {
        const std::string_view text = reader.word("duration");
        reader.end();
        return AdvanceCommand{parseDuration(text)};
    }

    Script script_;
    std::map<std::string, InstanceRef, std::less<>> instances_;
    std::set<std::string, std::less<>> destinations_;
};

} // namespace

platform::Duration parseDuration(std::string_view text) {
    double scale = 0;
    std::string_view number;
    if (text.size() > 2 && text.substr(text.size() - 2) == "ms") {
        scale = 1e6;
        number = text.substr(0, text.size() - 2);
    } else if (text.size() > 1 && text.back() == 's') {
        scale = 1e9;
        number = text.substr(0, text.size() - 1);
    } else {
        fail("bad duration " + quote(text) + " (a number with ms or s: 10ms, 1.5s)");
    }
    const auto value = parseDouble(number);
    // A year of virtual time is far beyond any scenario and well inside 64-bit nanoseconds.
    if (!value || !std::isfinite(*value) || *value < 0 || *value * scale > 3.2e16)
        fail("bad duration " + quote(text) + " (a number with ms or s: 10ms, 1.5s)");
    return platform::Duration(static_cast<platform::Duration::rep>(std::llround(*value * scale)));
}

Script parseScript(std::string_view text) {
    return Parser().run(text);
}

} // namespace vantrel::host
