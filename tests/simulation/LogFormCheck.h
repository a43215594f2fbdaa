#pragma once
// The log lines the plug-ins may write: every line must be one of their own forms, with the
// subsystem, category and level of its log.

#include <cstdint>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "platform/log/LogSink.h"

namespace vantrel::simulation {

// Who a line says wrote it, so that the simulation can check that it is still alive.
struct LogOrigin {
    enum class Kind { monitor, meter } kind = Kind::monitor;
    std::optional<std::uint32_t> uid;        // monitor lines that name the uid
    std::optional<std::uint32_t> instanceID; // meter lines that name the instance number
    bool creation = false;                   // written while the instance is being created
};

namespace logforms {

using Kind = LogOrigin::Kind;

// A form is literal text with placeholders: {uid} a uid in decimal, 1 ... 4294967295; {instance}
// a meter's instance number, 1 ... 127; {track} a track number, 0 ... 127; {number} digits,
// {status} with an optional minus; {notes} up to five whole numbers separated by ", "; {text}
// anything. A line names at most one uid or instance, the form's one capture.
inline std::regex compile(const std::string& pattern) {
    static const std::vector<std::pair<std::string, std::string>> placeholders = {
        {"{uid}", "([1-9][0-9]{0,9})"},
        {"{instance}", "([1-9]|[1-9][0-9]|1[01][0-9]|12[0-7])"},
        {"{track}", "(?:[0-9]|[1-9][0-9]|1[01][0-9]|12[0-7])"},
        {"{number}", "(?:0|[1-9][0-9]{0,18})"},
        {"{status}", "-?(?:0|[1-9][0-9]{0,18})"},
        {"{notes}", "(?:-?(?:0|[1-9][0-9]{0,18})(?:, -?(?:0|[1-9][0-9]{0,18})){0,4})?"},
        {"{text}", "[\\s\\S]*"}};
    std::string expression;
    for (std::size_t at = 0; at < pattern.size();) {
        if (pattern[at] == '{') {
            const std::size_t end = pattern.find('}', at) + 1;
            for (const auto& [name, replacement] : placeholders) {
                if (pattern.compare(at, end - at, name) == 0) expression += replacement;
            }
            at = end;
        } else {
            if (std::string_view("\\^$.|?*+()[]{}").find(pattern[at]) != std::string_view::npos)
                expression += '\\';
            expression += pattern[at++];
        }
    }
    return std::regex(expression);
}

struct Form {
    Form(const std::string& pattern, Kind kind, bool creation = false)
        : expression(compile(pattern)), kind(kind), creation(creation) {}
    std::regex expression;
    Kind kind;
    bool creation;
};

inline std::optional<LogOrigin> match(const std::vector<Form>& forms, const std::string& text) {
    for (const Form& form : forms) {
        std::smatch found;
        if (!std::regex_match(text, found, form.expression)) continue;
        LogOrigin origin{form.kind, std::nullopt, std::nullopt, form.creation};
        if (found.size() > 1) {
            const std::uint64_t value = std::stoull(found[1].str());
            if (value > 0xFFFFFFFFu) continue;
            (origin.kind == Kind::monitor ? origin.uid : origin.instanceID) =
                static_cast<std::uint32_t>(value);
        }
        return origin;
    }
    return std::nullopt;
}

inline const std::vector<Form> unifiedForms = {
    {"🔌 Plugin 3.7.5 loaded, uid={uid} (warte auf fullState)", Kind::monitor, true},
    {"🔌 ⏱️ Kein fullState nach 300ms → neue Instanz, Heartbeat mit uid={uid}", Kind::monitor},
    {"🔌 fullState restore: uid={uid}, connected=true, track='{text}') → Heartbeat sofort aktiv",
     Kind::monitor},
    {"🔌 fullState restore: uid={uid}, connected=false, track='{text}') → Heartbeat sofort aktiv",
     Kind::monitor},
    {"🔌 internalRenderBlock created, port={number} dest={number}", Kind::monitor},
    {"🔌 ⚠️ msgSetupChanged", Kind::monitor},
    {"🔌 🔍 Suche neue Destination...", Kind::monitor},
    {"🔌 ✅ Destination wiederhergestellt", Kind::monitor},
    {"🔌 ❌ Keine Destination gefunden", Kind::monitor},
    {"🔌 🔄 Destination selbstheilend wiederhergestellt (dest={number})", Kind::monitor},
    {"🔌 ❌ Heartbeat send failed (err={status}), dest reset", Kind::monitor},
    {"🔌 ⚠️ sendConnectRequest: keine Destination", Kind::monitor},
    {"🔌 Connect request failed (err={status}), will retry", Kind::monitor},
    {"🔌 Connect request sent, uid={uid}", Kind::monitor},
    {"🔌 ✅ Plugin verbunden → '{text}' (uid={uid})", Kind::monitor},
    {"🔌 ⏸️ Plugin getrennt (uid={uid})", Kind::monitor},
    {"🔌 🎻 {number} Artikulations-Namen empfangen (notes: [{notes}]...)", Kind::monitor},
};

inline const std::vector<Form> systemLogForms = {
    {"[Vantrel] SafeMIDISend caught exception: {text}", Kind::monitor},
    {"[AudioMeter] init OK, instance={instance}, trackNr=0, name=''", Kind::meter, true},
    {"[AudioMeter] MIDIClientCreate failed: {status}", Kind::meter, true},
    {"[AudioMeter] MIDIOutputPortCreate failed", Kind::meter, true},
    {"[AudioMeter] allocateRenderResources, instance={instance}, trackNr={track}", Kind::meter},
    {"[AudioMeter] fullState restored: trackNr={track}, name='{text}' (instance {instance})", Kind::meter},
    {"[AudioMeter] Mapping gelesen: instance {instance} → trackNr={track}, name='{text}'", Kind::meter},
};

} // namespace logforms

// Who wrote the line, or none when it is none of the system's lines.
inline std::optional<LogOrigin> classifyLogLine(const platform::LogRecord& record) {
    if (record.kind == platform::LogKind::systemLog)
        return logforms::match(logforms::systemLogForms, record.text);
    if (record.kind != platform::LogKind::unified || record.subsystem != "com.marlek.Vantrel" ||
        record.category != "AudioUnit" || record.level != platform::LogLevel::error)
        return std::nullopt;
    return logforms::match(logforms::unifiedForms, record.text);
}

} // namespace vantrel::simulation
