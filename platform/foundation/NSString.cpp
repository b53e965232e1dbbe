#include "NSString.h"

bool NSString::isEqual(const NSObject& other) const
{
    const auto* string = dynamic_cast<const NSString*>(&other);
    return string && string->value_ == value_;
}
