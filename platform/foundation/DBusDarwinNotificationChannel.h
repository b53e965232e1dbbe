#pragma once

#include "DarwinNotificationChannel.h"

#include <memory>

class DBusSession;
namespace sdbus {
class IObject;
class Message;
} // namespace sdbus

// Darwin notifications as the broadcast signal DBusNames::kDarwinSignal. Signals from a process of another
// user are ignored, and so are malformed ones.
class DBusDarwinNotificationChannel final : public DarwinNotificationChannel {
public:
    explicit DBusDarwinNotificationChannel(std::shared_ptr<DBusSession> session);
    ~DBusDarwinNotificationChannel() override;

    void post(const std::string& name) override;
    std::optional<NSError> listen(Delivery delivery) override;

private:
    void received(sdbus::Message& signal);

    const std::shared_ptr<DBusSession> session_;
    // Main thread only.
    Delivery delivery_;
    std::shared_ptr<void> match_;
};
