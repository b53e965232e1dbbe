#include "SBSMSAlertItem.h"

#include "ObjCClass.h"
#include "SBSoundController.h"

void SBSMSAlertItem::setMessage(const std::shared_ptr<CKSMSMessage>& message)
{
    runtimeClass().send<SetMessage>("setMessage:", self<SBSMSAlertItem>(), message);
}

void SBSMSAlertItem::playMessageReceived()
{
    SBSoundController::sharedInstance().playSoundNamed(kMessageReceivedSound);
}

void SBSMSAlertItem::registerMethods(ObjCClass& cls)
{
    cls.addMethod<SetMessage>("setMessage:", &SBSMSAlertItem::setMessageImp);
}

void SBSMSAlertItem::setMessageImp(const std::shared_ptr<SBSMSAlertItem>& self, const std::shared_ptr<CKSMSMessage>& message)
{
    self->name_ = message ? message->sender() : std::string();
    self->messageText_ = message ? message->text() : std::string();
}
