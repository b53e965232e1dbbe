#pragma once

#include "Mutex.h"
#include "NSDictionary.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The Darwin notification centre: process-wide named signals without payload
// (CFNotificationCenterGetDarwinNotifyCenter, CFNotificationCenterPostNotification,
// CFNotificationCenterAddObserver). A post reaches every observer of the name in every process of this user,
// the posting process included; callbacks run on the main run loop. Transport: CrossProcessChannels.
// On the bus, a receiver asks the bus for the sender's uid when a post arrives and drops posts of other
// users; a post whose sender has already disconnected cannot be checked and is dropped as well, so a
// short-lived poster stays connected until its post can have been delivered.
class CFNotificationCenter {
public:
    // The platform's callback shape; Darwin notifications carry no object and no user information, so
    // `object` and `userInfo` are always null.
    using Callback = std::function<void(CFNotificationCenter* center, void* observer, const std::string& name,
                                        const void* object, const std::shared_ptr<NSDictionary>& userInfo)>;

    CFNotificationCenter(const CFNotificationCenter&) = delete;
    CFNotificationCenter& operator=(const CFNotificationCenter&) = delete;

    static CFNotificationCenter& getDarwinNotifyCenter();

    // Delivery is immediate (the platform's "deliver immediately" suspension behaviour is the only one).
    void addObserver(const std::string& name, Callback callback, void* observer = nullptr);
    void removeObserver(void* observer, const std::string& name);
    void removeEveryObserver(void* observer);
    // Any thread.
    void postNotification(const std::string& name);

private:
    friend class CrossProcessChannels;
    struct Registration;

    CFNotificationCenter() = default;
    void ensureListening();
    void deliver(std::uint64_t generation, const std::string& name);
    // Drops every observer: the channels were chosen again.
    void channelsReplaced();

    Mutex mutex_;
    std::vector<std::shared_ptr<Registration>> registrations_ VT_GUARDED_BY(mutex_);
    // The channel generation this centre listens on; 0 = not listening.
    std::uint64_t listeningGeneration_ VT_GUARDED_BY(mutex_) = 0;
};
