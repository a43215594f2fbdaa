#include "frame/common/FatalError.h"

#include <cstdio>
#include <cstdlib>

namespace vantrel {

void fatalError(std::string_view message) {
    if (message.empty())
        std::fputs("Fatal error\n", stderr);
    else
        std::fprintf(stderr, "Fatal error: %.*s\n", static_cast<int>(message.size()), message.data());
    std::fflush(stderr);
    std::abort();
}

} // namespace vantrel
