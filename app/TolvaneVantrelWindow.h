#pragma once
// The container application's window on the X server: the window group's content, at the size
// its tree asks for, until the user closes it or the process is asked to quit (SIGINT, SIGTERM).

#include "app/TolvaneVantrelApp.h"

namespace vantrel {

// Returns when the window is gone. Throws std::runtime_error when no window can be opened (no X
// server, no fonts). [main]
void showTolvaneVantrelWindow(const TolvaneVantrelApp& app);

} // namespace vantrel
