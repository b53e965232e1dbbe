#include "SBLowPowerAlertItem.h"

#include "ObjCClass.h"

std::shared_ptr<SBLowPowerAlertItem> SBLowPowerAlertItem::initWithLevel(int level)
{
    const auto item = std::make_shared<SBLowPowerAlertItem>();
    return item->runtimeClass().send<InitWithLevel>("initWithLevel:", item, level);
}

std::string SBLowPowerAlertItem::alertMessage() const
{
    return std::to_string(level_) + "% of battery remaining";
}

void SBLowPowerAlertItem::registerMethods(ObjCClass& cls)
{
    cls.addMethod<InitWithLevel>("initWithLevel:", &SBLowPowerAlertItem::initImp);
}

std::shared_ptr<SBLowPowerAlertItem> SBLowPowerAlertItem::initImp(const std::shared_ptr<SBLowPowerAlertItem>& self,
                                                                  int level)
{
    self->level_ = level;
    return self;
}
