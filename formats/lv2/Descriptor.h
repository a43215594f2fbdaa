#pragma once
// The LV2 descriptor of one plug-in: the format's entry points, all leading to PluginAdapter.
// Each bundle's binary hands out one, named by its plug-in's URI and port layout.

#include <lv2/core/lv2.h>

#include "formats/lv2/PluginAdapter.h"

namespace vantrel::lv2 {

struct AdapterDescriptor {
    LV2_Descriptor lv2; // first, so that the host's descriptor pointer leads back here
    PortLayout layout;
};

AdapterDescriptor makeDescriptor(const char* pluginUri, PortLayout layout);

} // namespace vantrel::lv2
