#include "NSNotification.h"

NSNotification::NSNotification(std::string name, id object, std::shared_ptr<NSDictionary> userInfo)
    : name_(std::move(name)), object_(std::move(object)), userInfo_(std::move(userInfo))
{
}

std::shared_ptr<NSNotification> NSNotification::notificationWithName(std::string name, id object,
                                                                     std::shared_ptr<NSDictionary> userInfo)
{
    return std::make_shared<NSNotification>(std::move(name), std::move(object), std::move(userInfo));
}

std::string NSNotification::description() const
{
    return "NSNotification " + name_ + " object = " + (object_ ? object_->description() : "(null)") +
           "; userInfo = " + (userInfo_ ? userInfo_->description() : "(null)");
}
