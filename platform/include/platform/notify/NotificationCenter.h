#pragma once
// The default distributed notification center of the process: named notifications with an
// optional dictionary, delivered to each matching observer on the queue it chose.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/core/Value.h"
#include "platform/dispatch/DispatchQueue.h"

namespace platform {

struct Notification {
    std::string name;
    std::optional<Dictionary> userInfo;
};

class NotificationCenter {
public:
    using Block = std::function<void(const Notification&)>;
    // Identifies one registration; 0 is never handed out.
    using ObserverToken = std::uint64_t;

    NotificationCenter() = default;
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    // The center of the platform in force. [any]
    static NotificationCenter& defaultCenter();

    // `block` runs on `queue` for every notification posted under `name` (an empty name: under
    // any name), always asynchronously. [any]
    ObserverToken addObserver(const std::string& name, DispatchQueue queue, Block block);
    // No delivery starts for this observer after the call, queued ones included. [any]
    void removeObserver(ObserverToken token);
    // Queues a delivery to each matching observer, in the order they were added. [any]
    void post(const std::string& name, std::optional<Dictionary> userInfo = std::nullopt);

    // Called inside `post`, before anything is queued, for traces; null to stop. [any]
    void setPostListener(Block listener);

private:
    struct Observer {
        std::string name;
        DispatchQueue queue;
        Block block;
    };

    std::mutex mutex_;
    ObserverToken lastToken_ = 0;
    std::map<ObserverToken, std::shared_ptr<const Observer>> observers_;
    std::shared_ptr<const Block> postListener_;
};

} // namespace platform
