// Scenario scripts of any text: the parser either reads them or reports a script error; it never
// fails any other way.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "host/script/ScriptParser.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        host::parseScript(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const host::ScriptError&) {
        // Bad input gets its error; that is all.
    }
    return 0;
}
