#pragma once

#include "MutexLocker.h"
#include "ObserverList.h"
#include "SBApplication.h"
#include "ThreadSafety.h"

#include <memory>
#include <string>
#include <vector>

// The display stack: which application is in the foreground, and bringing one to the front. This
// stand-in records each activation request and offers it to its observers (the shell host acts on it and
// then reports the new foreground application with `setActiveApp`).
class DSDisplayController final {
public:
    struct Activation {
        std::string displayIdentifier;
        bool animated = false;
    };

    static DSDisplayController& sharedInstance();

    // The application in the foreground, or null on the home screen.
    std::shared_ptr<SBApplication> activeApp() const;
    void setActiveApp(std::shared_ptr<SBApplication> application);

    // Asks for the application with this bundle identifier to come to the front. An identifier of an
    // application that does not exist is passed on unchanged.
    void activateAppWithDisplayIdentifier(const std::string& displayIdentifier, bool animated);
    // Every activation asked for, oldest first.
    std::vector<Activation> activations() const;
    ObserverList<Activation>& activationObservers() { return observers_; }

private:
    DSDisplayController() = default;

    mutable Mutex mutex_;
    std::shared_ptr<SBApplication> activeApp_ VT_GUARDED_BY(mutex_);
    std::vector<Activation> activations_ VT_GUARDED_BY(mutex_);
    ObserverList<Activation> observers_;
};
