#include "platform/core/Value.h"

#include <cmath>

namespace platform {

std::optional<double> numberValue(const Value& value) {
    if (value.is_boolean()) return value.get<bool>() ? 1.0 : 0.0;
    if (value.is_number()) return value.get<double>();
    return std::nullopt;
}

std::optional<std::uint32_t> unsignedIntValue(const Value& value) {
    if (value.is_boolean()) return value.get<bool>() ? 1u : 0u;
    if (value.is_number_unsigned()) return static_cast<std::uint32_t>(value.get<std::uint64_t>());
    if (value.is_number_integer()) return static_cast<std::uint32_t>(value.get<std::int64_t>());
    if (!value.is_number_float()) return std::nullopt;
    const double number = std::trunc(value.get<double>());
    // Outside the 64-bit range (and for NaN) no conversion is defined; read as 0.
    if (!(number > -9223372036854775808.0 && number < 9223372036854775808.0)) return 0u;
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(number));
}

std::optional<std::int64_t> integerValue(const Value& value) {
    if (value.is_boolean()) return value.get<bool>() ? 1 : 0;
    if (value.is_number_integer() && !value.is_number_unsigned()) return value.get<std::int64_t>();
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(INT64_MAX)) return std::nullopt;
        return static_cast<std::int64_t>(number);
    }
    if (!value.is_number_float()) return std::nullopt;
    const double number = value.get<double>();
    if (!(number >= -9223372036854775808.0 && number < 9223372036854775808.0)) return std::nullopt;
    if (std::trunc(number) != number) return std::nullopt;
    return static_cast<std::int64_t>(number);
}

std::optional<bool> boolValue(const Value& value) {
    const auto number = numberValue(value);
    if (!number) return std::nullopt;
    return *number != 0.0;
}

std::optional<std::string> stringValue(const Value& value) {
    if (!value.is_string()) return std::nullopt;
    return value.get<std::string>();
}

std::optional<std::vector<std::string>> stringListValue(const Value& value) {
    if (!value.is_array()) return std::nullopt;
    std::vector<std::string> list;
    list.reserve(value.size());
    for (const auto& element : value) {
        if (!element.is_string()) return std::nullopt;
        list.push_back(element.get<std::string>());
    }
    return list;
}

std::optional<std::vector<std::int64_t>> integerListValue(const Value& value) {
    if (!value.is_array()) return std::nullopt;
    std::vector<std::int64_t> list;
    list.reserve(value.size());
    for (const auto& element : value) {
        const auto number = integerValue(element);
        if (!number) return std::nullopt;
        list.push_back(*number);
    }
    return list;
}

const Value* member(const Value& object, const std::string& key) {
    if (!object.is_object()) return nullptr;
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

} // namespace platform
