#include "VPSettingsController.h"

#include "PSControllerRegistry.h"

PS_REGISTER_CONTROLLER_CLASS(VPSettingsController);

VPSettingsController::~VPSettingsController() = default;

std::vector<std::shared_ptr<PSSpecifier>> VPSettingsController::specifiers()
{
    if (!specifiers_) {
        specifiers_ = loadSpecifiersFromPlistName("VantlePro", this);
    }
    return *specifiers_;
}
