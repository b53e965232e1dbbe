#pragma once

#include "NSObject.h"

#include <cstdint>

// How to open a record's source more precisely than by its bundle identifier. Kept in a record's
// "Action" in memory only; never persisted. Whether it can launch is decided once, at creation, from
// whether the data suits the type.
class LaunchAction final : public NSObject {
public:
    enum Type : std::int32_t {
        Application = 0, // data: a bundle identifier string; activates it (or its redirection)
        Alert = 1,       // data: a dictionary with "Alert" and "Application"; opened by the shell's server
        URL = 2,         // data: a URL string; opened by the application object
        Event = 3,       // data: the shell's calendar alert item; reveals its event
        Message = 4,     // never launchable: a text message is opened by its bundle identifier
    };

    // Every type is kept, also one outside the table (never launchable).
    LaunchAction(std::int32_t type, const id& data);
    static std::shared_ptr<LaunchAction> actionWithType(std::int32_t type, const id& data);

    // Does nothing unless `canLaunch`.
    void launch() const;

    std::int32_t actionType() const { return actionType_; }
    bool canLaunch() const { return canLaunch_; }
    void setCanLaunch(bool canLaunch) { canLaunch_ = canLaunch; }
    // The data as kept: an own copy of a string, the dictionary or the alert item; null when not accepted.
    const id& info() const { return info_; }

    std::string className() const override { return "LaunchAction"; }

private:
    void activateApplication() const;
    void launchAlert() const;
    void openURL() const;
    void revealEvent() const;

    const std::int32_t actionType_;
    id info_;
    bool canLaunch_ = false;
};
