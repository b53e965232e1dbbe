#pragma once

#include "MutexLocker.h"
#include "ObserverList.h"
#include "SBApplication.h"
#include "ThreadSafety.h"

#include <memory>
#include <string>
#include <vector>

// The display stack: which application is in the foreground, and bringing one to the front. An activation
// is recorded, offered to the observers, and, for an installed application, carried out as on the phone:
// through SBUIController's "activateApplicationAnimated:", which makes it the active application.
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
    // application that is not installed is recorded and offered to the observers, and changes nothing.
    // Main thread.
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
