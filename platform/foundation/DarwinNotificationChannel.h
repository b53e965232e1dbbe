#pragma once

#include "NSError.h"

#include <functional>
#include <optional>
#include <string>

// How Darwin notifications (bare names, broadcast to every process that observes them, the poster included)
// travel between processes. CFNotificationCenter sits on top; CrossProcessChannels chooses the
// implementation: the D-Bus session bus, or an in-process loopback for unit tests.
class DarwinNotificationChannel {
public:
    // Called on the main run loop with each name posted by a peer that passed the channel's checks.
    using Delivery = std::function<void(const std::string& name)>;

    virtual ~DarwinNotificationChannel() = default;

    // Broadcasts the name. Any thread; failures are reported on stderr only, as posting has no result.
    virtual void post(const std::string& name) = 0;
    // Starts delivering names. Main thread; called once.
    virtual std::optional<NSError> listen(Delivery delivery) = 0;
};
