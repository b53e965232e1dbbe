#include "VPSettingsController.h"

#include "AppListViewController.h"
#include "NSLog.h"
#include "NSString.h"
#include "PSControllerRegistry.h"
#include "VPPreferences.h"

PS_REGISTER_CONTROLLER_CLASS(VPSettingsController);

VPSettingsController::~VPSettingsController() { AppListViewController::disposeSharedListController(); }

std::vector<std::shared_ptr<PSSpecifier>> VPSettingsController::specifiers()
{
    if (!specifiers_) {
        specifiers_ = loadSpecifiersFromPlistName("VantlePro", this);
    }
    return *specifiers_;
}

namespace {

bool isGroupBy(const PSSpecifier& specifier)
{
    return specifier.isBoundToPreference()
        && specifier.stringPropertyForKey(PSSpecifier::kDefaults) == VPPreferences::kDomain
        && specifier.stringPropertyForKey(PSSpecifier::kKey) == VPPreferences::kGroupByKey;
}

} // namespace

id VPSettingsController::readPreferenceValue(const PSSpecifier& specifier)
{
    if (isGroupBy(specifier)) {
        return NSString::stringWithString(VPPreferences(files_).groupingInForce());
    }
    return PSListController::readPreferenceValue(specifier);
}

void VPSettingsController::setPreferenceValue(const id& value, PSSpecifier& specifier)
{
    if (specifier.isBoundToPreference() && !isGroupBy(specifier)
        && specifier.stringPropertyForKey(PSSpecifier::kDefaults) == VPPreferences::kDomain) {
        if (const auto failure = VPPreferences(files_).keepGroupingInForce()) {
            // The value itself is still saved: the panel may then change its grouping, nothing is lost.
            NSLog("Vantle Settings: cannot save {}: {}", VPPreferences::kGroupByKey, failure->reason());
        }
    }
    PSListController::setPreferenceValue(value, specifier);
}
