#include "VTNotification.h"

VTNotification::VTNotification(std::string content, std::int32_t index, std::shared_ptr<NSDate> date, bool isNew)
    : content_(std::move(content))
    , date_(std::move(date))
    , newNotification_(isNew)
    , index_(index)
{
}
