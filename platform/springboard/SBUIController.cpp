#include "SBUIController.h"

#include "DSDisplayController.h"
#include "ObjCClass.h"

#include <algorithm>

std::shared_ptr<SBUIController> SBUIController::sharedInstance()
{
    static const auto controller = std::make_shared<SBUIController>();
    return controller;
}

void SBUIController::finishLaunching()
{
    runtimeClass().send<FinishLaunching>("finishLaunching", self<SBUIController>());
}

void SBUIController::activateApplicationAnimated(const std::shared_ptr<SBApplication>& application)
{
    runtimeClass().send<ActivateApplication>("activateApplicationAnimated:", self<SBUIController>(), application);
}

void SBUIController::activateApplicationFromSwitcher(const std::shared_ptr<SBApplication>& application)
{
    runtimeClass().send<ActivateApplication>("activateApplicationFromSwitcher:", self<SBUIController>(), application);
}

void SBUIController::returnToHomeScreen()
{
    DSDisplayController::sharedInstance().setActiveApp(nullptr);
    observers_.notify(Activation{nullptr, false});
}

void SBUIController::reset()
{
    finishedLaunching_ = false;
    recent_.clear();
    DSDisplayController::sharedInstance().setActiveApp(nullptr);
}

void SBUIController::registerMethods(ObjCClass& cls)
{
    cls.addMethod<FinishLaunching>("finishLaunching",
                                   [](const std::shared_ptr<SBUIController>& self) { self->finishedLaunching_ = true; });
    cls.addMethod<ActivateApplication>(
        "activateApplicationAnimated:",
        [](const std::shared_ptr<SBUIController>& self, const std::shared_ptr<SBApplication>& application) {
            self->bringForward(application, false);
        });
    cls.addMethod<ActivateApplication>(
        "activateApplicationFromSwitcher:",
        [](const std::shared_ptr<SBUIController>& self, const std::shared_ptr<SBApplication>& application) {
            self->bringForward(application, true);
        });
}

void SBUIController::bringForward(const std::shared_ptr<SBApplication>& application, bool fromSwitcher)
{
    if (!application) {
        return;
    }
    std::erase_if(recent_, [&](const auto& known) { return known->bundleIdentifier() == application->bundleIdentifier(); });
    recent_.insert(recent_.begin(), application);
    DSDisplayController::sharedInstance().setActiveApp(application);
    observers_.notify(Activation{application, fromSwitcher});
}
