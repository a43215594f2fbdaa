#pragma once
// Dictionaries that cross the platform boundary (saved state, notification payloads) and the
// platform's number semantics for reading them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace platform {

using Value = nlohmann::json;
using Dictionary = nlohmann::json; // an object; absent is std::nullopt where it may be absent

// Booleans and numbers are numbers; anything else is not. [any]
std::optional<double> numberValue(const Value& value);
// A number read as unsigned 32-bit: whole values wrap modulo 2^32, fractions truncate toward
// zero first; NaN and infinities read as 0. Booleans read as 0 or 1. [any]
std::optional<std::uint32_t> unsignedIntValue(const Value& value);
// A number with a whole value that fits in 64 bits (booleans are 0 or 1); fractions, NaN,
// infinities and non-numbers are not integers. [any]
std::optional<std::int64_t> integerValue(const Value& value);
// A number read as a boolean: non-zero is true. [any]
std::optional<bool> boolValue(const Value& value);
std::optional<std::string> stringValue(const Value& value);
// A list whose every element is a string / an integer as integerValue reads it.
std::optional<std::vector<std::string>> stringListValue(const Value& value);
std::optional<std::vector<std::int64_t>> integerListValue(const Value& value);

// The member `key` of an object, or null when the value is not an object or lacks the key.
const Value* member(const Value& object, const std::string& key);

} // namespace platform
