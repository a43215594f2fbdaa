// vantrel-host: the headless host. Runs scenario scripts against the plug-in modules (simulated
// or live) and the live demo.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "host/demo/Demo.h"
#include "host/plugins/ComponentRegistry.h"
#include "host/scenario/ScenarioRunner.h"
#include "host/script/Numbers.h"
#include "host/script/ScriptParser.h"

namespace {

using namespace vantrel::host;

constexpr int usageStatus = 2;

void printUsage(std::FILE* stream) {
    std::fputs(
        "usage: vantrel-host sim SCRIPT [--seed N] [--app DIR]\n"
        "       vantrel-host live SCRIPT [--seed N] [--app DIR]\n"
        "       vantrel-host demo [--seconds S] [--app DIR]\n"
        "\n"
        "  sim    runs a scenario script on virtual time and prints its trace (deterministic)\n"
        "  live   runs a scenario script on real threads and real time\n"
        "  demo   runs both plug-ins live for about ten seconds with a receiver substitute\n"
        "  --app  the container application's folder (default: the one installed beside this program)\n",
        stream);
}

struct Arguments {
    std::string command;
    std::optional<std::string> script;
    std::optional<std::uint64_t> seed;
    std::optional<double> seconds;
    std::filesystem::path application = defaultApplicationFolder();
};

// Reads the command line; prints what is wrong and returns none when it is not usable.
std::optional<Arguments> readArguments(int argc, char** argv) {
    if (argc < 2) {
        printUsage(stderr);
        return std::nullopt;
    }
    Arguments arguments;
    arguments.command = argv[1];
    if (arguments.command == "-h" || arguments.command == "--help") {
        printUsage(stdout);
        std::exit(0);
    }
    if (arguments.command != "sim" && arguments.command != "live" && arguments.command != "demo") {
        std::fprintf(stderr, "vantrel-host: unknown command \"%s\"\n", argv[1]);
        printUsage(stderr);
        return std::nullopt;
    }
    for (int i = 2; i < argc; ++i) {
        const std::string word = argv[i];
        const bool hasValue = i + 1 < argc;
        if (word == "--seed" && hasValue && arguments.command != "demo") {
            arguments.seed = parseUnsigned(argv[++i]);
            if (!arguments.seed) {
                std::fprintf(stderr, "vantrel-host: bad seed \"%s\"\n", argv[i]);
                return std::nullopt;
            }
        } else if (word == "--seconds" && hasValue && arguments.command == "demo") {
            arguments.seconds = parseDouble(argv[++i]);
            if (!arguments.seconds || !(*arguments.seconds > 0 && *arguments.seconds <= 3600)) {
                std::fprintf(stderr, "vantrel-host: bad duration \"%s\" (seconds, above 0)\n", argv[i]);
                return std::nullopt;
            }
        } else if (word == "--app" && hasValue) {
            arguments.application = argv[++i];
        } else if (!word.starts_with("-") && !arguments.script && arguments.command != "demo") {
            arguments.script = word;
        } else {
            std::fprintf(stderr, "vantrel-host: unexpected argument \"%s\"\n", word.c_str());
            printUsage(stderr);
            return std::nullopt;
        }
    }
    if (arguments.command != "demo" && !arguments.script) {
        std::fputs("vantrel-host: missing SCRIPT\n", stderr);
        printUsage(stderr);
        return std::nullopt;
    }
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
    const auto text = readText(*arguments.script);
    if (!text) {
        std::fprintf(stderr, "vantrel-host: cannot read %s\n", arguments.script->c_str());
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
    return runScenario(script, options);
}

} // namespace

int main(int argc, char** argv) {
    const auto arguments = readArguments(argc, argv);
    if (!arguments) return usageStatus;
    if (arguments->command == "demo") {
        DemoOptions options;
        options.application = arguments->application;
        if (arguments->seconds) options.seconds = *arguments->seconds;
        return runDemo(options);
    }
    return runScript(*arguments);
}
