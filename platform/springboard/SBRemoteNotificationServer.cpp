#include "SBRemoteNotificationServer.h"

#include "SBUIController.h"

SBRemoteNotificationServer& SBRemoteNotificationServer::sharedInstance()
{
    static SBRemoteNotificationServer server;
    return server;
}

void SBRemoteNotificationServer::remoteLocalNotificationAlertShouldLaunch(id alert,
                                                                          std::shared_ptr<SBApplication> application)
{
    const LaunchRequest request{std::move(alert), std::move(application)};
    {
        const MutexLocker guard(mutex_);
        requests_.push_back(request);
    }
    observers_.notify(request);
    if (request.application) {
        SBUIController::sharedInstance()->activateApplicationAnimated(request.application);
    }
}

std::vector<SBRemoteNotificationServer::LaunchRequest> SBRemoteNotificationServer::launchRequests() const
{
    const MutexLocker guard(mutex_);
    return requests_;
}
