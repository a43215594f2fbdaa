#pragma once
// Stops the process for a programming error of plug-in code, with the message on standard error.

#include <string_view>

namespace vantrel {

// Writes "Fatal error: MESSAGE" (or "Fatal error" alone for an empty message) to standard error
// and aborts. [any, never render]
[[noreturn]] void fatalError(std::string_view message = {});

} // namespace vantrel
