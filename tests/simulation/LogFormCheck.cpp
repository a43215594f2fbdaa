#include "LogFormCheck.h"

#include <cctype>
#include <string_view>
#include <vector>

namespace vantrel::simulation {

namespace {

constexpr std::string_view plug = "🔌 ";

// A form is literal text with placeholders:
//   {uid}       a uid in decimal, 1 ... 4294967295
//   {instance}  a meter's instance number, 1 ... 127
//   {track}     a track number, 0 ... 127
//   {number}    digits; {status} digits with an optional minus sign
//   {notes}     up to five whole numbers separated by ", "
//   {text}      any text, taken from a saved state, a notification or the mapping file
struct Form {
    std::string_view pattern;
    LogOrigin::Kind kind;
    bool creation = false;
};

constexpr Form unifiedForms[] = {
    {"Plugin 3.7.5 loaded, uid={uid} (warte auf fullState)", LogOrigin::Kind::monitor, true},
    {"⏱️ Kein fullState nach 300ms → neue Instanz, Heartbeat mit uid={uid}", LogOrigin::Kind::monitor},
    {"fullState restore: uid={uid}, connected=true, track='{text}') → Heartbeat sofort aktiv",
     LogOrigin::Kind::monitor},
    {"fullState restore: uid={uid}, connected=false, track='{text}') → Heartbeat sofort aktiv",
     LogOrigin::Kind::monitor},
    {"internalRenderBlock created, port={number} dest={number}", LogOrigin::Kind::monitor},
    {"⚠️ msgSetupChanged", LogOrigin::Kind::monitor},
    {"🔍 Suche neue Destination...", LogOrigin::Kind::monitor},
    {"✅ Destination wiederhergestellt", LogOrigin::Kind::monitor},
    {"❌ Keine Destination gefunden", LogOrigin::Kind::monitor},
    {"🔄 Destination selbstheilend wiederhergestellt (dest={number})", LogOrigin::Kind::monitor},
    {"❌ Heartbeat send failed (err={status}), dest reset", LogOrigin::Kind::monitor},
    {"⚠️ sendConnectRequest: keine Destination", LogOrigin::Kind::monitor},
    {"Connect request failed (err={status}), will retry", LogOrigin::Kind::monitor},
    {"Connect request sent, uid={uid}", LogOrigin::Kind::monitor},
    {"✅ Plugin verbunden → '{text}' (uid={uid})", LogOrigin::Kind::monitor},
    {"⏸️ Plugin getrennt (uid={uid})", LogOrigin::Kind::monitor},
    {"🎻 {number} Artikulations-Namen empfangen (notes: [{notes}]...)", LogOrigin::Kind::monitor},
};

constexpr Form systemLogForms[] = {
    {"[Vantrel] SafeMIDISend caught exception: {text}", LogOrigin::Kind::monitor},
    {"[AudioMeter] init OK, instance={instance}, trackNr=0, name=''", LogOrigin::Kind::meter, true},
    {"[AudioMeter] MIDIClientCreate failed: {status}", LogOrigin::Kind::meter, true},
    {"[AudioMeter] MIDIOutputPortCreate failed", LogOrigin::Kind::meter, true},
    {"[AudioMeter] allocateRenderResources, instance={instance}, trackNr={track}", LogOrigin::Kind::meter},
    {"[AudioMeter] fullState restored: trackNr={track}, name='{text}' (instance {instance})",
     LogOrigin::Kind::meter},
    {"[AudioMeter] Mapping gelesen: instance {instance} → trackNr={track}, name='{text}'",
     LogOrigin::Kind::meter},
};

// The decimal number at the front of `text` (no leading zeros unless it is 0), at most `maximum`;
// its length, or 0 when there is none.
std::size_t number(std::string_view text, std::uint64_t maximum, std::uint64_t& value) {
    std::size_t length = 0;
    value = 0;
    while (length < text.size() && std::isdigit(static_cast<unsigned char>(text[length])) && length < 20) {
        value = value * 10 + static_cast<std::uint64_t>(text[length] - '0');
        ++length;
    }
    if (length == 0 || (length > 1 && text[0] == '0') || length > 19 || value > maximum) return 0;
    return length;
}

class Matcher {
public:
    explicit Matcher(LogOrigin& origin) : origin_(origin) {}

    bool match(std::string_view pattern, std::string_view text) {
        if (pattern.empty()) return text.empty();
        if (pattern.front() != '{') {
            return !text.empty() && text.front() == pattern.front() &&
                   match(pattern.substr(1), text.substr(1));
        }
        const std::size_t close = pattern.find('}');
        const std::string_view name = pattern.substr(1, close - 1);
        const std::string_view rest = pattern.substr(close + 1);
        if (name == "text") {
            for (std::size_t taken = 0; taken <= text.size(); ++taken) {
                if (match(rest, text.substr(taken))) return true;
            }
            return false;
        }
        if (name == "notes") return notes(rest, text, 0);
        if (name == "status" && !text.empty() && text.front() == '-') text.remove_prefix(1);
        const std::uint64_t maximum = name == "uid"                           ? 0xFFFFFFFFu
                                      : name == "instance" || name == "track" ? 127
                                                                              : ~0ull;
        std::uint64_t value = 0;
        const std::size_t length = number(text, maximum, value);
        if (length == 0 || ((name == "uid" || name == "instance") && value == 0)) return false;
        if (name == "uid") origin_.uid = static_cast<std::uint32_t>(value);
        if (name == "instance") origin_.instanceID = static_cast<std::uint32_t>(value);
        return match(rest, text.substr(length));
    }

private:
    bool notes(std::string_view rest, std::string_view text, int count) {
        if (match(rest, text)) return true;
        if (count == 5) return false;
        if (count > 0) {
            if (!text.starts_with(", ")) return false;
            text.remove_prefix(2);
        }
        if (!text.empty() && text.front() == '-') text.remove_prefix(1);
        std::uint64_t value = 0;
        const std::size_t length = number(text, ~0ull, value);
        return length != 0 && notes(rest, text.substr(length), count + 1);
    }

    LogOrigin& origin_;
};

template <std::size_t N> LogForm match(const Form (&forms)[N], std::string_view text) {
    for (const Form& form : forms) {
        LogOrigin origin{form.kind, std::nullopt, std::nullopt, form.creation};
        if (Matcher(origin).match(form.pattern, text)) return {origin, {}};
    }
    return {std::nullopt, "not one of the system's log lines: \"" + std::string(text) + "\""};
}

} // namespace

LogForm classifyLogLine(const platform::LogRecord& record) {
    switch (record.kind) {
    case platform::LogKind::unified:
        if (record.subsystem != "com.marlek.Vantrel" || record.category != "AudioUnit" ||
            record.level != platform::LogLevel::error || !record.text.starts_with(plug)) {
            return {std::nullopt,
                    "a unified-log line outside the monitor's log: " + platform::describe(record)};
        }
        return match(unifiedForms, std::string_view(record.text).substr(plug.size()));
    case platform::LogKind::systemLog:
        return match(systemLogForms, record.text);
    case platform::LogKind::standardOutput:
        break;
    }
    return {std::nullopt, "a line on standard output: " + record.text};
}

} // namespace vantrel::simulation
