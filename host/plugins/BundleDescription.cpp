#include "host/plugins/BundleDescription.h"

#include <stdexcept>

#include "platform/core/Value.h"
#include "platform/files/FileSystem.h"

namespace vantrel::host {

namespace {

const platform::Value& required(const platform::Value& object, const std::string& key) {
    const platform::Value* value = platform::member(object, key);
    if (value == nullptr) throw std::invalid_argument("missing \"" + key + "\"");
    return *value;
}

std::string requiredString(const platform::Value& object, const std::string& key) {
    const auto text = platform::stringValue(required(object, key));
    if (!text) throw std::invalid_argument("\"" + key + "\" is not a string");
    return *text;
}

AudioComponentEntry readComponent(const platform::Value& entry) {
    if (!entry.is_object()) throw std::invalid_argument("an audio component is not an object");
    AudioComponentEntry component;
    component.description.componentType = fourCharCodeFromText(requiredString(entry, "type"));
    component.description.componentSubType = fourCharCodeFromText(requiredString(entry, "subtype"));
    component.description.componentManufacturer = fourCharCodeFromText(requiredString(entry, "manufacturer"));
    component.name = requiredString(entry, "name");
    component.factoryFunction = requiredString(entry, "factoryFunction");
    if (const platform::Value* version = platform::member(entry, "version")) {
        const auto number = platform::unsignedIntValue(*version);
        if (!number) throw std::invalid_argument("\"version\" is not a number");
        component.version = *number;
    }
    return component;
}

} // namespace

platform::OSType fourCharCodeFromText(const std::string& text) {
    if (text.size() != 4) throw std::invalid_argument("\"" + text + "\" is not a four-character code");
    platform::OSType code = 0;
    for (const char c : text)
        code = (code << 8) | static_cast<std::uint8_t>(c);
    return code;
}

BundleDescription readBundleDescription(const std::filesystem::path& bundle) {
    const std::filesystem::path file = bundle / "Info.json";
    const auto content = platform::readFile(file);
    if (!content) throw std::runtime_error(file.string() + ": cannot be read");
    try {
        const platform::Value info = platform::Value::parse(*content);
        if (!info.is_object()) throw std::invalid_argument("not a JSON object");
        BundleDescription description;
        description.bundle = bundle;
        description.bundleIdentifier = requiredString(info, "bundleIdentifier");
        description.executable = bundle / requiredString(info, "executable");
        const platform::Value& components = required(info, "audioComponents");
        if (!components.is_array() || components.empty())
            throw std::invalid_argument("\"audioComponents\" is not a list of components");
        for (const platform::Value& entry : components)
            description.audioComponents.push_back(readComponent(entry));
        return description;
    } catch (const std::exception& error) {
        throw std::runtime_error(file.string() + ": " + error.what());
    }
}

} // namespace vantrel::host
