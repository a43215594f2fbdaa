#pragma once
// Reads a whole scenario script before anything runs: the first error stops the reading and is
// reported as "line N: message".

#include <stdexcept>
#include <string>
#include <string_view>

#include "host/script/Script.h"

namespace vantrel::host {

class ScriptError : public std::runtime_error {
public:
    ScriptError(int line, const std::string& message)
        : std::runtime_error("line " + std::to_string(line) + ": " + message), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

// Throws ScriptError for an unknown command, a bad argument or an unknown instance name.
Script parseScript(std::string_view text);

// Reads a duration: a number followed by "ms" or "s" ("10ms", "1.5s"). Throws
// std::invalid_argument.
platform::Duration parseDuration(std::string_view text);

} // namespace vantrel::host
