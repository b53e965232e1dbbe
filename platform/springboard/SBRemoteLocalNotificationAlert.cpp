#include "SBRemoteLocalNotificationAlert.h"

#include "ObjCClass.h"

std::shared_ptr<SBRemoteLocalNotificationAlert> SBRemoteLocalNotificationAlert::initWithApplication(
    const std::shared_ptr<SBApplication>& application, const std::shared_ptr<NSString>& body, bool showActionButton,
    const std::shared_ptr<NSString>& actionLabel)
{
    return initWithApplication(std::make_shared<SBRemoteLocalNotificationAlert>(), application, body, showActionButton,
                               actionLabel);
}

std::shared_ptr<SBRemoteLocalNotificationAlert> SBRemoteLocalNotificationAlert::initWithApplication(
    const std::shared_ptr<SBRemoteLocalNotificationAlert>& alert, const std::shared_ptr<SBApplication>& application,
    const std::shared_ptr<NSString>& body, bool showActionButton, const std::shared_ptr<NSString>& actionLabel)
{
    return alert->runtimeClass().send<InitWithApplication>("initWithApplication:body:showActionButton:actionLabel:",
                                                           alert, application, body, showActionButton, actionLabel);
}

void SBRemoteLocalNotificationAlert::registerMethods(ObjCClass& cls)
{
    cls.addMethod<InitWithApplication>("initWithApplication:body:showActionButton:actionLabel:",
                                       &SBRemoteLocalNotificationAlert::initImp);
}

std::shared_ptr<SBRemoteLocalNotificationAlert> SBRemoteLocalNotificationAlert::initImp(
    const std::shared_ptr<SBRemoteLocalNotificationAlert>& self, const std::shared_ptr<SBApplication>& application,
    const std::shared_ptr<NSString>& body, bool showActionButton, const std::shared_ptr<NSString>& actionLabel)
{
    self->setContents(application, body, showActionButton, actionLabel);
    return self;
}

void SBRemoteLocalNotificationAlert::setContents(const std::shared_ptr<SBApplication>& application,
                                                 const std::shared_ptr<NSString>& body, bool showActionButton,
                                                 const std::shared_ptr<NSString>& actionLabel)
{
    application_ = application;
    body_ = body;
    showActionButton_ = showActionButton;
    actionLabel_ = actionLabel;
}
