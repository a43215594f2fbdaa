#include "receiver/TerminalScreen.h"

#include <ncurses.h>
#include <unistd.h>

#include <algorithm>

namespace vantrel::receiver {

std::unique_ptr<TerminalScreen> TerminalScreen::open() {
    if (isatty(STDOUT_FILENO) == 0 || isatty(STDIN_FILENO) == 0) return nullptr;
    if (newterm(nullptr, stdout, stdin) == nullptr) return nullptr;
    cbreak();
    noecho();
    nodelay(stdscr, TRUE);
    keypad(stdscr, TRUE);
    curs_set(0);
    return std::unique_ptr<TerminalScreen>(new TerminalScreen());
}

TerminalScreen::~TerminalScreen() {
    endwin();
}

void TerminalScreen::show(const std::vector<std::string>& lines) {
    erase();
    const int rows = std::min(LINES, static_cast<int>(lines.size()));
    for (int row = 0; row < rows; ++row)
        mvaddnstr(row, 0, lines[static_cast<std::size_t>(row)].c_str(), COLS);
    refresh();
}

std::optional<int> TerminalScreen::key() {
    const int pressed = getch();
    if (pressed == ERR) return std::nullopt;
    return pressed;
}

} // namespace vantrel::receiver
