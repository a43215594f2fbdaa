#pragma once
// Reads the words of one script line: words are separated by spaces, a word that begins with a
// double quote is a JSON string, and a command that takes JSON takes the rest of the line.
// Every reading error throws std::invalid_argument with the message a script error shows.

#include <optional>
#include <string>
#include <string_view>

#include "platform/core/Value.h"

namespace vantrel::host {

// The line without its comment: from the first '#' outside a double-quoted string.
std::string_view stripComment(std::string_view line);

class LineReader {
public:
    explicit LineReader(std::string_view line) : rest_(line) {}

    bool atEnd();
    // The next plain word; none at the end of the line.
    std::optional<std::string_view> nextWord();
    // The next word, which must be there; `what` names it in the error.
    std::string_view word(std::string_view what);
    // A name: a plain word or a quoted string.
    std::string name(std::string_view what);
    // Whether the next word is a quoted string.
    bool quotedNext();
    // The quoted string that comes next, decoded.
    std::string quoted(std::string_view what);
    // Everything that is left, trimmed; must not be empty.
    std::string_view rest(std::string_view what);
    // Fails unless the line has ended.
    void end();

private:
    void skipSpaces();
    std::string_view rest_;
};

// Parses `text` as JSON; the error names what was expected.
platform::Value parseJSON(std::string_view text, std::string_view what);

} // namespace vantrel::host
