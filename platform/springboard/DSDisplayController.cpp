#include "DSDisplayController.h"

#include "SBApplicationController.h"
#include "SBUIController.h"

DSDisplayController& DSDisplayController::sharedInstance()
{
    static DSDisplayController controller;
    return controller;
}

std::shared_ptr<SBApplication> DSDisplayController::activeApp() const
{
    const MutexLocker guard(mutex_);
    return activeApp_;
}

void DSDisplayController::setActiveApp(std::shared_ptr<SBApplication> application)
{
    const MutexLocker guard(mutex_);
    activeApp_ = std::move(application);
}

void DSDisplayController::activateAppWithDisplayIdentifier(const std::string& displayIdentifier, bool animated)
{
    const Activation activation{displayIdentifier, animated};
    {
        const MutexLocker guard(mutex_);
        activations_.push_back(activation);
    }
    observers_.notify(activation);
    if (auto application = SBApplicationController::sharedInstance().applicationWithDisplayIdentifier(displayIdentifier)) {
        SBUIController::sharedInstance()->activateApplicationAnimated(application);
    }
}

std::vector<DSDisplayController::Activation> DSDisplayController::activations() const
{
    const MutexLocker guard(mutex_);
    return activations_;
}
