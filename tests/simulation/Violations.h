#pragma once
// What the invariant checks of one run found, in the order they found it.

#include <string>
#include <vector>

namespace vantrel::simulation {

class Violations {
public:
    void add(std::string message) { messages_.push_back(std::move(message)); }
    bool empty() const { return messages_.empty(); }
    const std::vector<std::string>& messages() const { return messages_; }

private:
    std::vector<std::string> messages_;
};

} // namespace vantrel::simulation
