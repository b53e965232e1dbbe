#include "SBSoundController.h"

SBSoundController& SBSoundController::sharedInstance()
{
    static SBSoundController controller;
    return controller;
}

void SBSoundController::playSoundNamed(const std::string& name)
{
    {
        const MutexLocker guard(mutex_);
        played_.push_back(name);
    }
    observers_.notify(name);
}

std::vector<std::string> SBSoundController::playedSounds() const
{
    const MutexLocker guard(mutex_);
    return played_;
}
