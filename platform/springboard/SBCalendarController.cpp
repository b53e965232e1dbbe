#include "SBCalendarController.h"

#include "SBSoundController.h"

std::shared_ptr<SBCalendarController> SBCalendarController::sharedInstance()
{
    static const auto controller = std::make_shared<SBCalendarController>();
    return controller;
}

void SBCalendarController::playAlertSound() { SBSoundController::sharedInstance().playSoundNamed(kAlertSound); }
