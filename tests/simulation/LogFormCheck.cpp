#include "LogFormCheck.h"

#include <regex>
#include <string_view>
#include <vector>

namespace vantrel::simulation {

namespace {

constexpr std::string_view plug = "🔌 ";

// A decimal uid: 1 ... 4294967295.
constexpr const char* uid = R"(([1-9][0-9]{0,9}))";
// A meter's instance number, 1 ... 127, and track number, 0 ... 127.
constexpr const char* instance = R"(([1-9][0-9]?|1[01][0-9]|12[0-7]))";
constexpr const char* track = R"((0|[1-9][0-9]?|1[01][0-9]|12[0-7]))";
// Text taken from a saved state, a notification or the mapping file, as it stands.
constexpr const char* anyText = R"([\s\S]*)";

struct Form {
    std::regex pattern;
    LogOrigin::Kind kind;
    int uidGroup = 0;      // the group holding the uid, if any
    int instanceGroup = 0; // the group holding the meter's instance number, if any
    bool creation = false;
};

Form monitorForm(const std::string& pattern, int uidGroup = 0, bool creation = false) {
    return {std::regex(pattern), LogOrigin::Kind::monitor, uidGroup, 0, creation};
}

Form meterForm(const std::string& pattern, int instanceGroup = 0, bool creation = false) {
    return {std::regex(pattern), LogOrigin::Kind::meter, 0, instanceGroup, creation};
}

const std::vector<Form>& unifiedForms() {
    static const std::vector<Form> forms = {
        monitorForm(std::string("Plugin 3\\.7\\.5 loaded, uid=") + uid + " \\(warte auf fullState\\)", 1,
                    true),
        monitorForm(
            std::string("⏱️ Kein fullState nach 300ms → neue Instanz, Heartbeat mit uid=") + uid, 1),
        monitorForm(std::string("fullState restore: uid=") + uid + ", connected=(true|false), track='" +
                        anyText + "'\\) → Heartbeat sofort aktiv",
                    1),
        monitorForm("internalRenderBlock created, port=[0-9]+ dest=[0-9]+"),
        monitorForm("⚠️ msgSetupChanged"),
        monitorForm("🔍 Suche neue Destination\\.\\.\\."),
        monitorForm("✅ Destination wiederhergestellt"),
        monitorForm("❌ Keine Destination gefunden"),
        monitorForm("🔄 Destination selbstheilend wiederhergestellt \\(dest=[1-9][0-9]*\\)"),
        monitorForm("❌ Heartbeat send failed \\(err=-?[0-9]+\\), dest reset"),
        monitorForm("⚠️ sendConnectRequest: keine Destination"),
        monitorForm("Connect request failed \\(err=-?[0-9]+\\), will retry"),
        monitorForm(std::string("Connect request sent, uid=") + uid, 1),
        monitorForm(std::string("✅ Plugin verbunden → '") + anyText + "' \\(uid=" + uid + "\\)", 1),
        monitorForm(std::string("⏸️ Plugin getrennt \\(uid=") + uid + "\\)", 1),
        monitorForm("🎻 [0-9]+ Artikulations-Namen empfangen \\(notes: \\[(-?[0-9]+(, "
                    "-?[0-9]+){0,4})?\\]\\.\\.\\.\\)"),
    };
    return forms;
}

const std::vector<Form>& systemLogForms() {
    static const std::vector<Form> forms = {
        monitorForm(std::string("\\[Vantrel\\] SafeMIDISend caught exception: ") + anyText),
        meterForm(std::string("\\[AudioMeter\\] init OK, instance=") + instance + ", trackNr=0, name=''", 1,
                  true),
        meterForm("\\[AudioMeter\\] MIDIClientCreate failed: -?[0-9]+", 0, true),
        meterForm("\\[AudioMeter\\] MIDIOutputPortCreate failed", 0, true),
        meterForm(std::string("\\[AudioMeter\\] allocateRenderResources, instance=") + instance +
                      ", trackNr=" + track,
                  1),
        meterForm(std::string("\\[AudioMeter\\] fullState restored: trackNr=") + track + ", name='" +
                      anyText + "' \\(instance " + instance + "\\)",
                  2),
        meterForm(std::string("\\[AudioMeter\\] Mapping gelesen: instance ") + instance +
                      " → trackNr=" + track + ", name='" + anyText + "'",
                  1),
    };
    return forms;
}

LogForm match(const std::vector<Form>& forms, const std::string& text) {
    for (const Form& form : forms) {
        std::smatch groups;
        if (!std::regex_match(text, groups, form.pattern)) continue;
        LogOrigin origin{form.kind, std::nullopt, std::nullopt, form.creation};
        if (form.uidGroup != 0) {
            const unsigned long long value = std::stoull(groups[form.uidGroup].str());
            if (value > 0xFFFFFFFFull) break;
            origin.uid = static_cast<std::uint32_t>(value);
        }
        if (form.instanceGroup != 0)
            origin.instanceID = static_cast<std::uint32_t>(std::stoul(groups[form.instanceGroup].str()));
        return {origin, {}};
    }
    return {std::nullopt, "not one of the system's log lines: \"" + text + "\""};
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
        return match(unifiedForms(), record.text.substr(plug.size()));
    case platform::LogKind::systemLog:
        return match(systemLogForms(), record.text);
    case platform::LogKind::standardOutput:
        break;
    }
    return {std::nullopt, "a line on standard output: " + record.text};
}

} // namespace vantrel::simulation
