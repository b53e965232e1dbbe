#include "SBVoiceMailAlertItem.h"

#include "ObjCClass.h"

std::shared_ptr<SBVoiceMailAlertItem> SBVoiceMailAlertItem::initWithTitle(const std::shared_ptr<NSString>& title,
                                                                          const std::shared_ptr<NSString>& body)
{
    const auto item = std::make_shared<SBVoiceMailAlertItem>();
    return item->runtimeClass().send<InitWithTitle>("initWithTitle:body:", item, title, body);
}

void SBVoiceMailAlertItem::registerMethods(ObjCClass& cls)
{
    cls.addMethod<InitWithTitle>("initWithTitle:body:", &SBVoiceMailAlertItem::initImp);
}

std::shared_ptr<SBVoiceMailAlertItem> SBVoiceMailAlertItem::initImp(const std::shared_ptr<SBVoiceMailAlertItem>& self,
                                                                    const std::shared_ptr<NSString>& title,
                                                                    const std::shared_ptr<NSString>& body)
{
    self->title_ = title;
    self->body_ = body;
    return self;
}
