// vantrel-host: the headless host. Runs scenario scripts against the plug-in modules (simulated
// or live) and the live demo.

#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "host/demo/Demo.h"
#include "host/plugins/ComponentRegistry.h"
#include "host/scenario/ScenarioRunner.h"
#include "host/script/ScriptParser.h"

namespace {

using namespace vantrel::host;

constexpr int usageStatus = 2;

struct Arguments {
    std::string command;
    std::string script;
    std::optional<std::uint64_t> seed;
    std::optional<double> seconds;
    std::filesystem::path application = defaultApplicationFolder();
    platform::LiveTransports transports;
};

void addTransportFlags(CLI::App& command, Arguments& arguments) {
    command.add_flag("--jack", arguments.transports.jack,
                     "MIDI over the JACK server (or set VANTREL_TRANSPORTS=jack,dbus)");
    command.add_flag("--dbus", arguments.transports.dbus, "distributed notifications over the D-Bus session bus");
}

// Reads the command line; none, with the reason printed, when it is not usable.
std::optional<Arguments> readArguments(CLI::App& app, int argc, char** argv, int& status) {
    Arguments arguments;
    app.require_subcommand(1);
    CLI::App* sim = app.add_subcommand("sim", "runs a scenario script on virtual time and prints its trace");
    CLI::App* live = app.add_subcommand("live", "runs a scenario script on real threads and real time");
    CLI::App* demo = app.add_subcommand("demo", "runs both plug-ins live with a receiver substitute");
    for (CLI::App* command : {sim, live}) {
        command->add_option("SCRIPT", arguments.script, "the scenario script")->required();
        command->add_option("--seed", arguments.seed, "the random generator's seed");
    }
    demo->add_option("--seconds", arguments.seconds, "how long the demo runs (default 10)")
        ->check(CLI::Range(0.001, 3600.0));
    for (CLI::App* command : {sim, live, demo}) {
        command->add_option("--app", arguments.application,
                            "the container application's folder (default: the one installed beside this program)");
    }
    addTransportFlags(*live, arguments);
    addTransportFlags(*demo, arguments);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        status = app.exit(error);
        if (status != 0) status = usageStatus;
        return std::nullopt;
    }
    arguments.command = app.get_subcommands().front()->get_name();
    std::string problem;
    if (arguments.command != "sim" && !arguments.transports.addFromEnvironment(problem)) {
        std::fprintf(stderr, "vantrel-host: %s\n", problem.c_str());
        status = usageStatus;
        return std::nullopt;
    }
    arguments.transports.jackClientName = "vantrel-host";
    return arguments;
}

std::optional<std::string> readText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::ostringstream content;
    content << file.rdbuf();
    if (file.bad()) return std::nullopt;
    return content.str();
}

int runScript(const Arguments& arguments) {
    const auto text = readText(arguments.script);
    if (!text) {
        std::fprintf(stderr, "vantrel-host: cannot read %s\n", arguments.script.c_str());
        return usageStatus;
    }
    Script script;
    try {
        script = parseScript(*text);
    } catch (const ScriptError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return usageStatus;
    }
    RunOptions options;
    options.mode = arguments.command == "sim" ? RunMode::simulated : RunMode::live;
    options.application = arguments.application;
    options.seed = arguments.seed;
    options.transports = arguments.transports;
    return runScenario(script, options);
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"vantrel-host: the headless host; runs scenario scripts against the plug-in modules "
                 "(simulated or live) and the live demo"};
    int status = 0;
    const auto arguments = readArguments(app, argc, argv, status);
    if (!arguments) return status;
    if (arguments->command == "demo") {
        DemoOptions options;
        options.application = arguments->application;
        options.transports = arguments->transports;
        if (arguments->seconds) options.seconds = *arguments->seconds;
        return runDemo(options);
    }
    return runScript(*arguments);
}
