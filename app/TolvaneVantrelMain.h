#pragma once
// The program of the container application: it shows its window until the window is closed.
// Where no window can be opened it says so on one line of standard error and prints the window
// instead: a line with the window's title, then the text rendering of the window's content.

#include <ostream>
#include <string>
#include <vector>

namespace vantrel {

// `arguments` without the program name; `display` the X display's name (DISPLAY), null or empty
// for none. Returns the exit status: 0, or 2 for an unknown argument (reported on `err`). [main]
int runTolvaneVantrel(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                      const char* display);

} // namespace vantrel
