#pragma once

#include "SBApplicationController.h"
#include "SBIcon.h"

#include <memory>
#include <string>
#include <vector>

// The home screen's icons: one per installed application (SBApplicationController).
class SBIconModel final {
public:
    static SBIconModel& sharedInstance();

    explicit SBIconModel(SBApplicationController& applications)
        : applications_(applications)
    {
    }

    // The icon of the installed application with this bundle identifier, or null when there is none.
    std::shared_ptr<SBIcon> applicationIconForDisplayIdentifier(const std::string& bundleIdentifier) const;
    // The icons of every installed application, in the order the home screen shows them.
    std::vector<std::shared_ptr<SBIcon>> applicationIcons() const;

private:
    SBApplicationController& applications_;
};
