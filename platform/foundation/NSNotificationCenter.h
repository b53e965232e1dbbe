#pragma once

#include "Mutex.h"
#include "NSNotification.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The in-process notification centre. Observers register a callback under an observer identity (any
// pointer, usually `this`), for one name or any name, and for one sender object or any sender. A post
// calls the matching callbacks synchronously on the posting thread, in the order they were added.
//
// Removing observers during a delivery is safe: a callback removed before its turn is not called, also
// when it removes itself or others from inside a callback; observers added during a delivery get the next
// post. A callback already running on another thread may still complete after removeObserver returns.
class NSNotificationCenter {
public:
    using Callback = std::function<void(const std::shared_ptr<NSNotification>& notification)>;

    NSNotificationCenter() = default;
    NSNotificationCenter(const NSNotificationCenter&) = delete;
    NSNotificationCenter& operator=(const NSNotificationCenter&) = delete;

    static NSNotificationCenter& defaultCenter();

    // `name` absent = every name; `object` null = every sender (senders are matched by identity and not
    // retained).
    void addObserver(const void* observer, Callback callback, std::optional<std::string> name,
                     const id& object = nullptr);
    // Every registration of the observer.
    void removeObserver(const void* observer);
    // The observer's registrations for that name (absent = all names) and sender (null = all senders).
    void removeObserver(const void* observer, const std::optional<std::string>& name, const id& object = nullptr);

    void postNotification(const std::shared_ptr<NSNotification>& notification);
    void postNotificationName(std::string name, id object = nullptr, std::shared_ptr<NSDictionary> userInfo = nullptr);
    // Posts from the main thread: queued, or with waitUntilDone blocking until the post has completed
    // (performSelectorOnMainThread:withObject:waitUntilDone:).
    void postNotificationOnMainThread(const std::shared_ptr<NSNotification>& notification, bool waitUntilDone);

private:
    struct Registration;
    std::vector<std::shared_ptr<Registration>> matching(const NSNotification& notification);

    Mutex mutex_;
    std::vector<std::shared_ptr<Registration>> registrations_ VT_GUARDED_BY(mutex_);
};
