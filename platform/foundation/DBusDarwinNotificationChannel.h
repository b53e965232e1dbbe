#pragma once

#include "DarwinNotificationChannel.h"

#include <memory>
#include <set>
#include <string>

class DBusSession;
namespace sdbus {
class IObject;
class Message;
} // namespace sdbus

// Darwin notifications as the broadcast signal DBusNames::kDarwinSignal. Signals from a process of another
// user, and from one the bus can no longer identify (it has disconnected), are ignored with a line in the
// system log giving the reason; malformed ones are ignored silently.
class DBusDarwinNotificationChannel final : public DarwinNotificationChannel {
public:
    explicit DBusDarwinNotificationChannel(std::shared_ptr<DBusSession> session);
    ~DBusDarwinNotificationChannel() override;

    void post(const std::string& name) override;
    std::optional<NSError> listen(Delivery delivery) override;

private:
    void received(sdbus::Message& signal);
    void ignored(const std::string& sender, const std::string& name, const char* reason);

    const std::shared_ptr<DBusSession> session_;
    // Main thread only.
    Delivery delivery_;
    std::shared_ptr<void> match_;
    std::set<std::string> loggedSenders_;
};
