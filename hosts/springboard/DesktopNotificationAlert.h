#pragma once

#include "SBRemoteLocalNotificationAlert.h"

#include <functional>
#include <string>
#include <vector>

// The pop-up of a desktop notification: a push notification of the shell (initialised through
// SBRemoteLocalNotificationAlert's runtime class, so whatever hooks that class sees it as any push) whose
// buttons beside "Close" are the client's actions, and which is silent when the client asked for low
// urgency. A tap on a button goes to the click handler (0: "Close", 1 and up: the actions in order).
class DesktopNotificationAlert final : public SBRemoteLocalNotificationAlert {
public:
    using ClickHandler = std::function<void(int button)>;

    DesktopNotificationAlert(std::vector<std::string> actionLabels, bool silent)
        : actionLabels_(std::move(actionLabels)), silent_(silent)
    {
    }

    // Main thread. A handler set to null is never called again (its owner went away).
    void setClickHandler(ClickHandler handler) { clicked_ = std::move(handler); }

    std::vector<std::string> otherButtonTitles() const override { return actionLabels_; }
    std::string soundName() const override
    {
        return silent_ ? std::string() : SBRemoteLocalNotificationAlert::soundName();
    }
    void didClickButton(int button) override;

private:
    const std::vector<std::string> actionLabels_;
    const bool silent_;
    ClickHandler clicked_;
};
