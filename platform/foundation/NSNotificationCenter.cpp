#include "NSNotificationCenter.h"

#include "MutexLocker.h"
#include "NSRunLoop.h"

#include <atomic>

struct NSNotificationCenter::Registration {
    const void* observer;
    std::optional<std::string> name;
    const NSObject* object;
    Callback callback;
    std::atomic<bool> removed{false};

    bool matches(const NSNotification& notification) const
    {
        return (!name || *name == notification.name()) && (!object || object == notification.object().get());
    }
};

NSNotificationCenter& NSNotificationCenter::defaultCenter()
{
    // Never destroyed: job threads may post while the process exits.
    static auto* center = new NSNotificationCenter;
    return *center;
}

void NSNotificationCenter::addObserver(const void* observer, Callback callback, std::optional<std::string> name,
                                       const id& object)
{
    auto registration = std::make_shared<Registration>();
    registration->observer = observer;
    registration->name = std::move(name);
    registration->object = object.get();
    registration->callback = std::move(callback);
    MutexLocker locker(mutex_);
    registrations_.push_back(std::move(registration));
}

void NSNotificationCenter::removeObserver(const void* observer)
{
    MutexLocker locker(mutex_);
    std::erase_if(registrations_, [&](const auto& registration) {
        if (registration->observer != observer) {
            return false;
        }
        registration->removed = true;
        return true;
    });
}

void NSNotificationCenter::removeObserver(const void* observer, const std::optional<std::string>& name,
                                          const id& object)
{
    MutexLocker locker(mutex_);
    std::erase_if(registrations_, [&](const auto& registration) {
        const bool nameMatches = !name || registration->name == name;
        const bool objectMatches = !object || registration->object == object.get();
        if (registration->observer != observer || !nameMatches || !objectMatches) {
            return false;
        }
        registration->removed = true;
        return true;
    });
}

std::vector<std::shared_ptr<NSNotificationCenter::Registration>>
NSNotificationCenter::matching(const NSNotification& notification)
{
    std::vector<std::shared_ptr<Registration>> found;
    MutexLocker locker(mutex_);
    for (const auto& registration : registrations_) {
        if (registration->matches(notification)) {
            found.push_back(registration);
        }
    }
    return found;
}

void NSNotificationCenter::postNotification(const std::shared_ptr<NSNotification>& notification)
{
    if (!notification) {
        return;
    }
    // The snapshot keeps each callback alive while it runs, even when it removes itself.
    for (const auto& registration : matching(*notification)) {
        if (!registration->removed) {
            registration->callback(notification);
        }
    }
}

void NSNotificationCenter::postNotificationName(std::string name, id object, std::shared_ptr<NSDictionary> userInfo)
{
    postNotification(NSNotification::notificationWithName(std::move(name), std::move(object), std::move(userInfo)));
}

void NSNotificationCenter::postNotificationOnMainThread(const std::shared_ptr<NSNotification>& notification,
                                                        bool waitUntilDone)
{
    NSRunLoop::performOnMainThread([this, notification] { postNotification(notification); }, waitUntilDone);
}
