#include "SBIconModel.h"

SBIconModel& SBIconModel::sharedInstance()
{
    static SBIconModel model(SBApplicationController::sharedInstance());
    return model;
}

std::shared_ptr<SBIcon> SBIconModel::applicationIconForDisplayIdentifier(const std::string& bundleIdentifier) const
{
    auto application = applications_.applicationWithDisplayIdentifier(bundleIdentifier);
    return application ? std::make_shared<SBIcon>(std::move(application)) : nullptr;
}

std::vector<std::shared_ptr<SBIcon>> SBIconModel::applicationIcons() const
{
    std::vector<std::shared_ptr<SBIcon>> icons;
    for (auto& application : applications_.allApplications()) {
        icons.push_back(std::make_shared<SBIcon>(std::move(application)));
    }
    return icons;
}
