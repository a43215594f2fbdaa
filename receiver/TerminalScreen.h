#pragma once
// The terminal as a screen (ncurses): lines drawn in place from the top, clipped to the
// terminal's size however tall the content, and keys read without waiting.

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::receiver {

class TerminalScreen {
public:
    // Takes over the terminal; none when standard output is not one. [main]
    static std::unique_ptr<TerminalScreen> open();
    ~TerminalScreen(); // [main] Gives the terminal back as it was.
    TerminalScreen(const TerminalScreen&) = delete;
    TerminalScreen& operator=(const TerminalScreen&) = delete;

    void show(const std::vector<std::string>& lines); // [main]
    std::optional<int> key();                          // [main] None when no key is waiting.

private:
    TerminalScreen() = default;
};

} // namespace vantrel::receiver
