#include "NSDictionary.h"

#include "NSString.h"

id NSDictionary::objectForKey(const std::string& key) const
{
    const auto found = entries_.find(key);
    return found == entries_.end() ? nullptr : found->second;
}

std::optional<std::string> NSDictionary::stringForKey(const std::string& key) const
{
    if (auto string = objectForKey<NSString>(key)) {
        return string->string();
    }
    return std::nullopt;
}

std::string NSDictionary::description() const
{
    std::string text = "{";
    bool first = true;
    for (const auto& [key, value] : entries_) {
        text += first ? "" : "; ";
        text += key + " = " + (value ? value->description() : "(null)");
        first = false;
    }
    return text + "}";
}

bool NSDictionary::isEqual(const NSObject& other) const
{
    const auto* dictionary = dynamic_cast<const NSDictionary*>(&other);
    if (!dictionary || dictionary->entries_.size() != entries_.size()) {
        return false;
    }
    for (auto mine = entries_.begin(), theirs = dictionary->entries_.begin(); mine != entries_.end();
         ++mine, ++theirs) {
        if (mine->first != theirs->first || !::isEqual(mine->second, theirs->second)) {
            return false;
        }
    }
    return true;
}
