#pragma once
// The audio components the plug-in modules declare in their bundle descriptions, so that the
// instances under test carry the codes a host would register them under.

#include "platform/audiounit/AudioComponentDescription.h"

namespace vantrel::test {

platform::AudioComponentDescription monitorComponent();
platform::AudioComponentDescription meterComponent();

} // namespace vantrel::test
