#pragma once
// X errors on the connections our windows open are theirs to weather: a host may destroy the
// parent window before it lets the user interface go, and Xlib's default handler would end the
// host's process. Errors on any other connection go to the handler that was there before.

#include <X11/Xlib.h>

namespace platform::ui::x11 {

// From now until forget(display), errors on `display` are recorded instead of handled. [any]
void adopt(Display* display);
void forget(Display* display);
// Whether an error has come on `display` since adopt(), after the server has answered every
// request made so far. [the display's thread]
bool hadError(Display* display);

} // namespace platform::ui::x11
