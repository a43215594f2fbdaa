#pragma once
// The description a plug-in bundle carries in its Info.json, next to its module: what the host
// registers (the audio components with their codes and names) and what it loads (the module
// and the factory function it exports).
//
//   {
//     "bundleIdentifier": "com.marlek.TolvaneVantrel.TolvaneVantrel.VantrelExtension",
//     "executable": "VantrelExtension.so",
//     "audioComponents": [{"type": "aumi", "subtype": "vtrl", "manufacturer": "Tlvn",
//                          "name": "Tolvane: Vantrel", "version": 197381,
//                          "factoryFunction": "VantrelPluginCreatePrincipal"}]
//   }

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/audiounit/AudioComponentDescription.h"

namespace vantrel::host {

struct AudioComponentEntry {
    platform::AudioComponentDescription description;
    std::string name;
    std::uint32_t version = 0;
    std::string factoryFunction;
};

struct BundleDescription {
    std::filesystem::path bundle; // the bundle's folder
    std::string bundleIdentifier;
    std::filesystem::path executable; // the module, inside the bundle's folder
    std::vector<AudioComponentEntry> audioComponents;
};

// Reads `bundle`/Info.json. Throws std::runtime_error naming the file and what is wrong.
BundleDescription readBundleDescription(const std::filesystem::path& bundle);

// A four-character code from its text ("aumi"); throws std::invalid_argument unless it is four
// characters.
platform::OSType fourCharCodeFromText(const std::string& text);

} // namespace vantrel::host
