#include "NSArray.h"

std::string NSArray::description() const
{
    std::string text = "(";
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        text += i ? ", " : "";
        text += objects_[i] ? objects_[i]->description() : "(null)";
    }
    return text + ")";
}

bool NSArray::isEqual(const NSObject& other) const
{
    const auto* array = dynamic_cast<const NSArray*>(&other);
    if (!array || array->objects_.size() != objects_.size()) {
        return false;
    }
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        if (!::isEqual(objects_[i], array->objects_[i])) {
            return false;
        }
    }
    return true;
}
