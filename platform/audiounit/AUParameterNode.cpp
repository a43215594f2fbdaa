#include "platform/audiounit/AUParameterNode.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>

namespace platform {

namespace {
std::atomic<std::uint64_t> lastTokenID{0};
}

AUParameterObserverToken AUParameterNode::tokenByAddingParameterObserver(AUParameterObserver observer) {
    if (!observer) throw std::invalid_argument("a parameter observer cannot be empty");
    return tokenByAddingParameterAutomationObserver(
        [observer = std::move(observer)](const AUParameterAutomationEvent& event) {
            observer(event.address, event.value);
        });
}

AUParameterObserverToken
AUParameterNode::tokenByAddingParameterAutomationObserver(AUParameterAutomationObserver observer) {
    if (!observer) throw std::invalid_argument("a parameter observer cannot be empty");
    auto registration = std::make_shared<Registration>();
    registration->token = AUParameterObserverToken(lastTokenID.fetch_add(1, std::memory_order_relaxed) + 1);
    registration->observer = std::move(observer);
    std::lock_guard guard(mutex_);
    observers_.push_back(registration);
    return registration->token;
}

void AUParameterNode::removeParameterObserver(AUParameterObserverToken token) {
    std::shared_ptr<Registration> removed; // its observer is destroyed outside the lock
    std::lock_guard guard(mutex_);
    const auto found = std::ranges::find_if(
        observers_, [token](const auto& registration) { return registration->token == token; });
    if (found == observers_.end()) return;
    removed = std::move(*found);
    removed->active = false;
    observers_.erase(found);
}

void AUParameterNode::adoptChildren(const std::shared_ptr<const AUParameterNode>& parent,
                                    const std::vector<std::shared_ptr<AUParameterNode>>& children) {
    for (auto child = children.begin(); child != children.end(); ++child) {
        if (*child == nullptr) throw std::invalid_argument("a parameter group cannot hold a null node");
        if (std::find(children.begin(), child, *child) != child)
            throw std::invalid_argument("parameter node '" + (*child)->identifier() + "' is listed twice");
        std::lock_guard guard((*child)->mutex_);
        if ((*child)->adopted_)
            throw std::invalid_argument("parameter node '" + (*child)->identifier() +
                                        "' already belongs to a group");
    }
    for (const auto& child : children) {
        std::lock_guard guard(child->mutex_);
        child->parent_ = parent;
        child->adopted_ = true;
    }
}

void AUParameterNode::notifyObservers(const AUParameterAutomationEvent& event,
                                      AUParameterObserverToken originator) const {
    std::vector<std::shared_ptr<Registration>> toCall;
    std::shared_ptr<const AUParameterNode> holder; // keeps the group being read alive
    for (const AUParameterNode* node = this; node != nullptr; node = holder.get()) {
        std::shared_ptr<const AUParameterNode> parent;
        {
            std::lock_guard guard(node->mutex_);
            for (const auto& registration : node->observers_)
                if (registration->token != originator) toCall.push_back(registration);
            parent = node->parent_.lock();
        }
        holder = std::move(parent);
    }
    for (const auto& registration : toCall)
        if (registration->active) registration->observer(event);
}

} // namespace platform
