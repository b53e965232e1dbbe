#pragma once

#include "Mutex.h"
#include "ObserverList.h"
#include "ThreadSafety.h"

#include <string>
#include <vector>

// The shell's sounds. There is no audio on this device: each sound played is recorded by name (the file
// name the phone would play, "sms-received1.caf") and offered to observers. Thread-safe.
class SBSoundController final {
public:
    static SBSoundController& sharedInstance();

    void playSoundNamed(const std::string& name);
    // Every sound played since the process started, oldest first.
    std::vector<std::string> playedSounds() const;
    ObserverList<std::string>& soundObservers() { return observers_; }

private:
    SBSoundController() = default;

    mutable Mutex mutex_;
    std::vector<std::string> played_ VT_GUARDED_BY(mutex_);
    ObserverList<std::string> observers_;
};
