#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class DarwinNotificationChannel;
class MessagingChannel;

// Chooses how the Darwin notification centre and the distributed messaging centres reach other processes:
// the D-Bus session bus (the default; DBUS_SESSION_BUS_ADDRESS, or an explicit address such as a test's
// private bus), or an in-process loopback for unit tests. Choosing again (main thread, at set-up) replaces
// the channels and starts afresh: Darwin observers, servers and message handlers registered before are
// dropped, and deliveries still in flight from the old channels are discarded. The bus channels are always
// destroyed on the main thread, also when a job thread that was posting held them last.
class CrossProcessChannels {
public:
    CrossProcessChannels() = delete;

    static void useLoopback();
    static void useSessionBus(std::optional<std::string> address = std::nullopt);
    static bool isLoopback();

    static std::shared_ptr<DarwinNotificationChannel> darwinChannel();
    static std::shared_ptr<MessagingChannel> messagingChannel();
    // Counts the choices made; a delivery made for an earlier choice is stale.
    static std::uint64_t generation();

private:
    static void replace(bool loopback, std::optional<std::string> address);
};
