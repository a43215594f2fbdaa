#include "platform/notify/NotificationCenter.h"

#include <utility>
#include <vector>

#include "platform/Platform.h"

namespace platform {

NotificationCenter& NotificationCenter::defaultCenter() {
    return *Platform::current().notifications;
}

NotificationCenter::ObserverToken NotificationCenter::addObserver(const std::string& name,
                                                                  DispatchQueue queue, Block block) {
    auto observer = std::make_shared<const Observer>(Observer{name, std::move(queue), std::move(block)});
    std::lock_guard guard(mutex_);
    observers_.emplace(++lastToken_, std::move(observer));
    return lastToken_;
}

void NotificationCenter::removeObserver(ObserverToken token) {
    std::shared_ptr<const Observer> removed;
    {
        std::lock_guard guard(mutex_);
        const auto found = observers_.find(token);
        if (found == observers_.end()) return;
        removed = std::move(found->second);
        observers_.erase(found);
    }
    // `removed` dies here, outside the lock, in case its block's captures call back in.
}

void NotificationCenter::post(const std::string& name, std::optional<Dictionary> userInfo) {
    const auto notification = std::make_shared<const Notification>(Notification{name, std::move(userInfo)});
    std::shared_ptr<const Block> listener;
    std::shared_ptr<NotificationTransport> transport;
    {
        std::lock_guard guard(mutex_);
        listener = postListener_;
        transport = transport_;
    }
    if (listener) (*listener)(*notification);
    deliver(notification);
    if (transport) transport->send(*notification);
}

void NotificationCenter::deliverFromElsewhere(const Notification& notification) {
    deliver(std::make_shared<const Notification>(notification));
}

void NotificationCenter::deliver(std::shared_ptr<const Notification> notification) {
    std::vector<std::pair<std::weak_ptr<const Observer>, DispatchQueue>> recipients;
    {
        std::lock_guard guard(mutex_);
        for (const auto& [token, observer] : observers_) {
            if (observer->name.empty() || observer->name == notification->name)
                recipients.emplace_back(observer, observer->queue);
        }
    }
    // Held weakly: an observer removed before its delivery runs is gone by then.
    for (auto& [recipient, queue] : recipients) {
        queue.async([recipient = std::move(recipient), notification] {
            if (const auto observer = recipient.lock()) observer->block(*notification);
        });
    }
}

void NotificationCenter::setTransport(std::shared_ptr<NotificationTransport> transport) {
    std::lock_guard guard(mutex_);
    std::swap(transport_, transport);
    // The previous one ends here, outside the lock.
}

void NotificationCenter::setPostListener(Block listener) {
    auto shared = listener ? std::make_shared<const Block>(std::move(listener)) : nullptr;
    std::lock_guard guard(mutex_);
    postListener_ = std::move(shared);
}

} // namespace platform
