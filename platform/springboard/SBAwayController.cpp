#include "SBAwayController.h"

std::shared_ptr<SBAwayController>& SBAwayController::shared()
{
    static std::shared_ptr<SBAwayController> controller;
    return controller;
}

std::shared_ptr<SBAwayController> SBAwayController::sharedAwayControllerIfExists() { return shared(); }

std::shared_ptr<SBAwayController> SBAwayController::sharedAwayController()
{
    auto& controller = shared();
    if (!controller) {
        controller = std::make_shared<SBAwayController>();
    }
    return controller;
}

void SBAwayController::releaseSharedAwayController() { shared() = nullptr; }
