#pragma once

#include "MutexLocker.h"
#include "NSObject.h"
#include "ObserverList.h"
#include "SBApplication.h"
#include "ThreadSafety.h"

#include <memory>
#include <vector>

// The shell's server of push and local notifications. `remoteLocalNotificationAlertShouldLaunch` opens a
// notification the way its alert's action button would: its application comes to the front (through
// SBUIController's "activateApplicationAnimated:"). Each request is recorded and offered to the observers
// first, with the alert and application objects unchanged. Main thread.
class SBRemoteNotificationServer final {
public:
    struct LaunchRequest {
        id alert;
        std::shared_ptr<SBApplication> application;
    };

    static SBRemoteNotificationServer& sharedInstance();

    void remoteLocalNotificationAlertShouldLaunch(id alert, std::shared_ptr<SBApplication> application);
    std::vector<LaunchRequest> launchRequests() const;
    ObserverList<LaunchRequest>& launchObservers() { return observers_; }

private:
    SBRemoteNotificationServer() = default;

    mutable Mutex mutex_;
    std::vector<LaunchRequest> requests_ VT_GUARDED_BY(mutex_);
    ObserverList<LaunchRequest> observers_;
};
