// vantrel-receiver: the receiver application beside the DAW. It owns the destination with unique
// ID KVRT on JACK, answers the monitors over the D-Bus session bus, writes the meters' mapping
// file and shows every instance it hears from.

#include <CLI/CLI.hpp>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "platform/Platform.h"
#include "platform/core/Value.h"
#include "platform/sim/LivePlatform.h"
#include "receiver/InstanceWatch.h"
#include "receiver/Receiver.h"
#include "receiver/ReceiverTable.h"
#include "receiver/TerminalScreen.h"

namespace {

using namespace vantrel::receiver;
using Clock = std::chrono::steady_clock;

constexpr int usageStatus = 2;
std::atomic<bool> stopRequested{false};

struct Options {
    std::string track = "Track 1";
    bool autoConnect = false;
    std::string mappingPath;
    std::string articulationsPath;
    double seconds = 0;
    bool plain = false;
    bool messages = false;
};

struct Articulations {
    std::vector<std::string> names;
    std::optional<std::vector<int>> notes;
};

// The file's JSON text, or the reason it is not usable.
platform::Value readJson(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error(path + ": cannot read the file");
    std::ostringstream text;
    text << file.rdbuf();
    try {
        return platform::Value::parse(text.str());
    } catch (const platform::Value::parse_error& error) {
        throw std::runtime_error(path + ": not JSON (" + error.what() + ")");
    }
}

// {"INSTANCE": {"trackNr": 1...127, "trackName": "..."}, ...}, instance numbers 1 to 127.
std::string readMapping(const std::string& path) {
    const platform::Value mapping = readJson(path);
    if (!mapping.is_object()) throw std::runtime_error(path + ": the mapping must be a JSON object");
    for (const auto& [key, entry] : mapping.items()) {
        const bool instanceNumber = !key.empty() && key.size() <= 3 && key[0] != '0' &&
                                    key.find_first_not_of("0123456789") == std::string::npos && std::stoi(key) <= 127;
        if (!instanceNumber) throw std::runtime_error(path + ": \"" + key + "\" is not an instance number (1 to 127)");
        const bool track = entry.is_object() && entry.contains("trackNr") && entry["trackNr"].is_number_integer() &&
                           entry["trackNr"].get<int>() >= 1 && entry["trackNr"].get<int>() <= 127;
        if (!track) throw std::runtime_error(path + ": instance " + key + " needs a \"trackNr\" from 1 to 127");
        if (entry.contains("trackName") && !entry["trackName"].is_string())
            throw std::runtime_error(path + ": instance " + key + ": \"trackName\" must be a text");
    }
    return mapping.dump();
}

// {"names": ["...", ...], "notes": [n, ...]} with "notes" optional.
Articulations readArticulations(const std::string& path) {
    const platform::Value value = readJson(path);
    Articulations articulations;
    try {
        articulations.names = value.at("names").get<std::vector<std::string>>();
        if (value.contains("notes")) articulations.notes = value.at("notes").get<std::vector<int>>();
    } catch (const platform::Value::exception&) {
        throw std::runtime_error(path + ": needs \"names\", a list of texts, and optionally \"notes\", a list of "
                                        "whole numbers");
    }
    return articulations;
}

// "message F0 7E 01 05 40 3F F7": the bytes of every packet of the list, on one line.
void printMessage(const platform::MIDIPacketList* packets) {
    std::string line = "message";
    const platform::MIDIPacket* packet = packets->packet;
    for (std::uint32_t index = 0; index < packets->numPackets; ++index, packet = platform::MIDIPacketNext(packet)) {
        for (std::uint16_t byte = 0; byte < packet->length; ++byte) {
            char digits[4];
            std::snprintf(digits, sizeof digits, " %02X", packet->data[byte]);
            line += digits;
        }
    }
    std::puts(line.c_str());
    std::fflush(stdout);
}

// The next instance that asked to be connected and is not.
std::optional<std::uint32_t> nextConnectRequest(const std::vector<MonitorReport>& monitors) {
    for (const MonitorReport& monitor : monitors) {
        if (monitor.connectRequests > 0 && !monitor.connected) return monitor.uid;
    }
    return std::nullopt;
}

int run(const Options& options) {
    std::optional<std::string> mapping;
    std::optional<Articulations> articulations;
    try {
        if (!options.mappingPath.empty()) mapping = readMapping(options.mappingPath);
        if (!options.articulationsPath.empty()) articulations = readArticulations(options.articulationsPath);
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "vantrel-receiver: %s\n", error.what());
        return usageStatus;
    }

    platform::LiveTransports transports{true, true, "vantrel-receiver"};
    platform::LivePlatform live(transports);
    const auto& support = platform::Platform::current().applicationSupportDirectory;
    if (!support) {
        std::fputs("vantrel-receiver: no application-support folder (set HOME or XDG_DATA_HOME)\n", stderr);
        return usageStatus;
    }
    Receiver receiver(*support);
    if (!receiver.up("receiver", options.messages ? Receiver::PacketObserver(printMessage) : nullptr)) {
        std::fputs("vantrel-receiver: cannot create the destination\n", stderr);
        return 1;
    }
    if (options.autoConnect) receiver.setAutoConnect({options.track});
    if (mapping && !receiver.mappingFile().write(*mapping)) {
        std::fprintf(stderr, "vantrel-receiver: cannot write %s\n", receiver.mappingFile().path().c_str());
        return 1;
    }
    const auto postArticulations = [&] {
        if (articulations) receiver.postArticulations(articulations->names, articulations->notes);
    };

    auto screen = options.plain ? nullptr : TerminalScreen::open();
    InstanceWatch watch;
    const auto start = Clock::now();
    auto nextPlainTable = start;
    bool articulationsPosted = false;
    while (!stopRequested.load()) {
        const auto now = Clock::now();
        if (options.seconds > 0 && now - start >= std::chrono::duration<double>(options.seconds)) break;
        // The session bus needs a moment before the first post reaches anyone.
        if (!articulationsPosted && now - start >= std::chrono::milliseconds(500)) {
            postArticulations();
            articulationsPosted = true;
        }
        const auto monitors = receiver.monitors();
        watch.observe(monitors, now);
        std::vector<std::string> lines = monitorLines(monitors, watch);
        for (auto& line : meterLines(receiver.meters()))
            lines.push_back(std::move(line));
        if (screen) {
            lines.insert(lines.begin(), {"vantrel-receiver  selected track: \"" + options.track +
                                             "\"  keys: c connect next request, a articulations, q quit",
                                         ""});
            screen->show(lines);
            while (const auto key = screen->key()) {
                if (*key == 'q') stopRequested.store(true);
                if (*key == 'a') postArticulations();
                if (*key == 'c') {
                    if (const auto uid = nextConnectRequest(monitors)) receiver.connect(*uid, options.track);
                }
            }
        } else if (now >= nextPlainTable) {
            std::puts("---");
            for (const auto& line : lines)
                std::puts(line.c_str());
            std::fflush(stdout);
            nextPlainTable = now + std::chrono::seconds(1);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"vantrel-receiver: shows the controller monitors and audio meters over JACK and D-Bus, answers "
                 "their connect requests and writes the meters' mapping file.\nJACK and the session bus are found "
                 "as every client finds them (JACK_DEFAULT_SERVER, DBUS_SESSION_BUS_ADDRESS)."};
    Options options;
    app.add_option("--track", options.track, "the selected track's name, given to connected instances")
        ->capture_default_str();
    app.add_flag("--auto-connect", options.autoConnect,
                 "answer every connect request with the selected track (otherwise the c key answers the next)");
    app.add_option("--mapping", options.mappingPath,
                   "JSON file assigning meters to tracks: {\"1\": {\"trackNr\": 3, \"trackName\": \"Bass\"}}");
    app.add_option("--articulations", options.articulationsPath,
                   "JSON file posted as the articulation list: {\"names\": [...], \"notes\": [...]}");
    app.add_option("--seconds", options.seconds, "stop after this many seconds (default: until q or a signal)")
        ->check(CLI::PositiveNumber);
    app.add_flag("--messages", options.messages, "print every message as it arrives, in hexadecimal");
    app.add_flag("--plain", options.plain, "print the table as plain lines once a second, even on a terminal");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError& error) {
        app.exit(error);
        return usageStatus;
    }
    std::signal(SIGINT, [](int) { stopRequested.store(true); });
    std::signal(SIGTERM, [](int) { stopRequested.store(true); });
    return run(options);
}
