#include "VTNotification.h"

VTNotification::VTNotification(std::shared_ptr<NSString> body, std::int32_t index, std::shared_ptr<NSDate> date,
                               bool isNew)
    : body_(std::move(body))
    , date_(std::move(date))
    , newNotification_(isNew)
    , index_(index)
{
}

const std::string& VTNotification::content() const
{
    static const std::string none;
    return body_ ? body_->string() : none;
}
