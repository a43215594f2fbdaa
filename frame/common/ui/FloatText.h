#pragma once
// Numbers in printed lines as the system's runtime writes them.

#include <string>

namespace vantrel {

// The shortest decimal text that reads back as the same 32-bit float, always with a decimal
// point: 60.0, 0.5, 0.1, -0.0; "inf", "-inf" and "nan" as they are. [any, never render]
std::string shortestFloatText(float value);

} // namespace vantrel
