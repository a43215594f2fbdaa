#include "LinkModel.h"

#include "MonitorTiming.h"

#include <algorithm>

namespace vantrel::simulation {

namespace {

constexpr platform::Duration researchDelay = platform::seconds(1);

} // namespace

SendingModel::SendingModel(platform::TimePoint created) : firstTick_(created + firstTickDelay) {}

void SendingModel::advance(platform::TimePoint from, platform::TimePoint to, bool receiverFindable) {
    if (pendingDisable_) {
        pendingDisable_ = false;
        enabled_ = false;
        researches_.push_back(from + researchDelay);
    }
    if (!enabled_ && receiverFindable) {
        enabled_ = tickIn(from, to) || std::ranges::any_of(researches_, [&](platform::TimePoint time) {
                       return time > from && time <= to;
                   });
    }
    std::erase_if(researches_, [to](platform::TimePoint time) { return time <= to; });
}

bool SendingModel::tickIn(platform::TimePoint from, platform::TimePoint to) const {
    platform::TimePoint next = firstTick_;
    if (from >= firstTick_) next = firstTick_ + ((from - firstTick_) / tickInterval + 1) * tickInterval;
    return next <= to;
}

void FaultWindows::armFailures(bool armed, platform::TimePoint now) {
    failures_ = armed;
    update(now);
}

void FaultWindows::armThrows(bool armed, platform::TimePoint now) {
    throws_ = armed;
    update(now);
}

void FaultWindows::delivered(platform::TimePoint now) {
    failures_ = false;
    throws_ = false;
    update(now);
}

void FaultWindows::update(platform::TimePoint now) {
    if (open() && !openSince_) openSince_ = now;
    if (!open() && openSince_) {
        closed_.emplace_back(*openSince_, now);
        openSince_.reset();
    }
}

bool FaultWindows::overlap(platform::TimePoint from, platform::TimePoint to) const {
    if (openSince_ && *openSince_ <= to) return true;
    return std::ranges::any_of(closed_,
                               [&](const auto& span) { return span.first <= to && span.second >= from; });
}

} // namespace vantrel::simulation
