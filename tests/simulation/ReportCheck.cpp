#include "ReportCheck.h"

#include <algorithm>
#include <ranges>

#include "protocol/ReceiverMessageDecoder.h"

namespace vantrel::simulation {

namespace {

std::string timeText(platform::TimePoint time) {
    return std::to_string(static_cast<double>(time.count()) / 1e6) + " ms";
}

} // namespace

// A failed send can only lose a report that is queued: one rendered before the drain, after the
// previous drain that arrived.
platform::TimePoint ReportCheck::faultsMatterFrom() const {
    if (windowStart_ == expected_.size()) return lastDrain_;
    return std::max(lastDrain_, expected_[windowStart_].renderTime);
}

void ReportCheck::rendered(const host::ScriptEvent& event, const protocol::InstanceTag& tag,
                           platform::TimePoint now) {
    const std::size_t length = event.bytes.size();
    if (event.type != platform::AURenderEventMIDI || length < 1 || length > 3) return;
    const std::uint8_t status = event.bytes[0];
    const std::uint8_t d1 = length > 1 ? event.bytes[1] : 0;
    const std::uint8_t d2 = length > 2 ? event.bytes[2] : 0;
    const unsigned channel = unsigned{status & 0x0Fu} << 8;
    std::optional<std::pair<unsigned, std::uint8_t>> keyAndValue;
    switch (status & 0xF0) {
    case 0xB0:
        keyAndValue = {channel | d1, d2};
        break;
    case 0xD0:
        keyAndValue = {channel | 0x80, d1};
        break;
    case 0xE0:
        keyAndValue = {channel | 0x81, d2};
        break;
    default:
        break;
    }
    if (keyAndValue) {
        auto& last = lastValues_[keyAndValue->first];
        if (last == keyAndValue->second) return;
        last = keyAndValue->second;
    } else if (!(status == 0x9F && length == 3 && d2 != 0)) {
        return;
    }
    Expected entry{{tag.begin(), tag.end()}, now};
    entry.bytes.insert(entry.bytes.end(), event.bytes.begin(), event.bytes.end());
    expected_.push_back(std::move(entry));
}

void ReportCheck::arrived(std::span<const std::uint8_t> bytes, platform::TimePoint now,
                          const FaultWindows& faults, std::vector<std::string>& violations) {
    if (batchTime_ && *batchTime_ != now) closeBatch(faults, violations);
    batchTime_ = now;
    batch_.emplace_back(bytes.begin(), bytes.end());
}

void ReportCheck::closeBatch(const FaultWindows& faults, std::vector<std::string>& violations) {
    if (!batchTime_) return;
    const platform::TimePoint drain = *batchTime_;
    // Reports rendered at the tick's own time were rendered after it.
    std::size_t windowEnd = windowStart_;
    while (windowEnd < expected_.size() && expected_[windowEnd].renderTime < drain)
        ++windowEnd;
    const std::span<const Expected> window(expected_.data() + windowStart_, windowEnd - windowStart_);
    const auto matchesAt = [&](std::size_t start) {
        return std::ranges::equal(batch_, window.subspan(start, batch_.size()), {}, {}, &Expected::bytes);
    };

    if (batch_.size() > queueBound) {
        violations.push_back("a tick at " + timeText(drain) + " sent " + std::to_string(batch_.size()) +
                             " reports, more than the queue holds");
    } else if (!faults.overlap(faultsMatterFrom(), drain)) {
        // Untouched by faults: exactly the first reports queued, up to the bound.
        const std::size_t due = std::min(window.size(), queueBound);
        if (window.size() > queueBound) ++overflows_;
        if (batch_.size() != due || !matchesAt(0)) {
            std::size_t first = 0;
            while (first < std::min(batch_.size(), due) && batch_[first] == window[first].bytes)
                ++first;
            std::string message = "the tick at " + timeText(drain) + " sent " +
                                  std::to_string(batch_.size()) + " reports where " + std::to_string(due) +
                                  " were queued; first difference at " + std::to_string(first);
            if (first < batch_.size()) message += ": sent " + protocol::hexString(batch_[first]);
            if (first < due) {
                message += ", queued " + protocol::hexString(window[first].bytes) + " at " +
                           timeText(window[first].renderTime);
            }
            violations.push_back(message);
        }
    } else if (batch_.size() > window.size() ||
               std::ranges::none_of(std::views::iota(std::size_t{0}, window.size() - batch_.size() + 1),
                                    matchesAt)) {
        violations.push_back("the tick at " + timeText(drain) + " sent " + std::to_string(batch_.size()) +
                             " reports that are not one run of the " + std::to_string(window.size()) +
                             " queued");
    }
    windowStart_ = windowEnd;
    lastDrain_ = drain + platform::Duration(1);
    batchTime_.reset();
    batch_.clear();
}

void ReportCheck::settle(platform::TimePoint now, const FaultWindows& faults,
                         std::vector<std::string>& violations) {
    closeBatch(faults, violations);
    const std::size_t missing = expected_.size() - windowStart_;
    if (missing == 0 || faults.overlap(faultsMatterFrom(), now)) return;
    violations.push_back(std::to_string(missing) + " queued reports never arrived, the first " +
                         protocol::hexString(expected_[windowStart_].bytes) + " rendered at " +
                         timeText(expected_[windowStart_].renderTime));
}

} // namespace vantrel::simulation
