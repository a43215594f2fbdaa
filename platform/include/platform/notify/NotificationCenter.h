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

// Carries this process's posts to the other processes of the session (the D-Bus backend).
class NotificationTransport {
public:
    virtual ~NotificationTransport() = default;
    // Never blocks on the other processes; a post that cannot go out is dropped. [any]
    virtual void send(const Notification& notification) = 0;
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

    // Posts also go to `transport` (null: this process only). [any]
    void setTransport(std::shared_ptr<NotificationTransport> transport);
    // Delivers a notification another process posted to this process's observers. [any]
    void deliverFromElsewhere(const Notification& notification);

private:
    void deliver(std::shared_ptr<const Notification> notification);

    struct Observer {
        std::string name;
        DispatchQueue queue;
        Block block;
    };

    std::mutex mutex_;
    ObserverToken lastToken_ = 0;
    std::map<ObserverToken, std::shared_ptr<const Observer>> observers_;
    std::shared_ptr<const Block> postListener_;
    std::shared_ptr<NotificationTransport> transport_;
};

} // namespace platform
