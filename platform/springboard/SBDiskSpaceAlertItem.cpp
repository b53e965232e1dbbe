#include "SBDiskSpaceAlertItem.h"

#include "ObjCClass.h"

std::shared_ptr<SBDiskSpaceAlertItem> SBDiskSpaceAlertItem::init()
{
    const auto item = std::make_shared<SBDiskSpaceAlertItem>();
    return item->runtimeClass().send<Init>("init", item);
}

void SBDiskSpaceAlertItem::registerMethods(ObjCClass& cls)
{
    cls.addMethod<Init>("init", [](const std::shared_ptr<SBDiskSpaceAlertItem>& self) { return self; });
}
