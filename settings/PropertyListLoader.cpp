#include "PropertyListLoader.h"

#include "PSControllerRegistry.h"
#include "UINavigationItem.h"

PS_REGISTER_CONTROLLER_CLASS(PropertyListLoader);

std::vector<std::shared_ptr<PSSpecifier>> PropertyListLoader::specifiers()
{
    if (!specifiers_) {
        specifiers_ = loadSpecifiersFromPlistName(navigationItem()->title(), this);
    }
    return *specifiers_;
}
