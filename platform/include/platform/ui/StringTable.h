#pragma once
// A bundle's string table: translations of texts, looked up by their localisation keys.

#include <map>
#include <string>

namespace platform::ui {

class StringTable {
public:
    StringTable() = default;
    explicit StringTable(std::map<std::string, std::string> translations)
        : translations_(std::move(translations)) {}

    // [any] The translation of `key`, or the key itself where the table has none.
    const std::string& localized(const std::string& key) const {
        const auto found = translations_.find(key);
        return found == translations_.end() ? key : found->second;
    }

private:
    std::map<std::string, std::string> translations_;
};

} // namespace platform::ui
