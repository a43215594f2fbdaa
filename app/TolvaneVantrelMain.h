#pragma once
// The program of the container application. Until a graphical renderer exists it prints its
// window, a line with the window's title and then the text rendering of the window's content,
// and returns.

#include <ostream>
#include <string>
#include <vector>

namespace vantrel {

// `arguments` without the program name. Returns the exit status: 0, or 2 for an unknown
// argument (reported on `err`). [main]
int runTolvaneVantrel(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace vantrel
