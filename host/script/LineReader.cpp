#include "host/script/LineReader.h"

#include <stdexcept>

namespace vantrel::host {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// Where the JSON string that starts at `text[0]` ends (one past its closing quote); npos when
// it does not end on this line.
std::size_t endOfQuoted(std::string_view text) {
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == '"') {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

} // namespace

std::string_view stripComment(std::string_view line) {
    bool inString = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (inString && c == '\\') {
            ++i;
        } else if (c == '"') {
            inString = !inString;
        } else if (c == '#' && !inString) {
            return line.substr(0, i);
        }
    }
    return line;
}

void LineReader::skipSpaces() {
    while (!rest_.empty() && isSpace(rest_.front()))
        rest_.remove_prefix(1);
}

bool LineReader::atEnd() {
    skipSpaces();
    return rest_.empty();
}

std::optional<std::string_view> LineReader::nextWord() {
    skipSpaces();
    if (rest_.empty()) return std::nullopt;
    std::size_t length = 0;
    while (length < rest_.size() && !isSpace(rest_[length]))
        ++length;
    const std::string_view word = rest_.substr(0, length);
    rest_.remove_prefix(length);
    return word;
}

std::string_view LineReader::word(std::string_view what) {
    const auto next = nextWord();
    if (!next) throw std::invalid_argument("missing " + std::string(what));
    return *next;
}

bool LineReader::quotedNext() {
    skipSpaces();
    return !rest_.empty() && rest_.front() == '"';
}

std::string LineReader::quoted(std::string_view what) {
    skipSpaces();
    if (rest_.empty()) throw std::invalid_argument("missing " + std::string(what));
    if (rest_.front() != '"') throw std::invalid_argument(std::string(what) + " must be a quoted string");
    const std::size_t end = endOfQuoted(rest_);
    if (end == std::string_view::npos)
        throw std::invalid_argument("unterminated string in " + std::string(what));
    const std::string_view literal = rest_.substr(0, end);
    rest_.remove_prefix(end);
    if (!rest_.empty() && !isSpace(rest_.front()))
        throw std::invalid_argument("unexpected text after the string in " + std::string(what));
    return parseJSON(literal, what).get<std::string>();
}

std::string LineReader::name(std::string_view what) {
    if (quotedNext()) return quoted(what);
    return std::string(word(what));
}

std::string_view LineReader::rest(std::string_view what) {
    skipSpaces();
    std::string_view text = rest_;
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    if (text.empty()) throw std::invalid_argument("missing " + std::string(what));
    rest_ = {};
    return text;
}

void LineReader::end() {
    if (const auto extra = nextWord())
        throw std::invalid_argument("unexpected argument \"" + std::string(*extra) + "\"");
}

platform::Value parseJSON(std::string_view text, std::string_view what) {
    try {
        return platform::Value::parse(text);
    } catch (const platform::Value::parse_error& error) {
        // The library's message starts with its own prefix and a position within the JSON text;
        // the character position and the reason are what a script's author needs.
        std::string reason = error.what();
        if (const auto at = reason.find(": "); at != std::string::npos) reason = reason.substr(at + 2);
        throw std::invalid_argument("bad JSON for " + std::string(what) + " at character " +
                                    std::to_string(error.byte) + ": " + reason);
    }
}

} // namespace vantrel::host
