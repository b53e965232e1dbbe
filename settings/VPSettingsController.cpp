#include "VPSettingsController.h"

#include "AppListViewController.h"
#include "PSControllerRegistry.h"

PS_REGISTER_CONTROLLER_CLASS(VPSettingsController);

VPSettingsController::~VPSettingsController() { AppListViewController::disposeSharedListController(); }

std::vector<std::shared_ptr<PSSpecifier>> VPSettingsController::specifiers()
{
    if (!specifiers_) {
        specifiers_ = loadSpecifiersFromPlistName("VantlePro", this);
    }
    return *specifiers_;
}
