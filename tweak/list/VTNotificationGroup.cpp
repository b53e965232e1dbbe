#include "VTNotificationGroup.h"

#include "NSDictionary-Vantle.h"
#include "NSString.h"
#include "SpringBoard-Vantle.h"

#include <fmt/format.h>

VTNotificationGroup::VTNotificationGroup(std::optional<std::string> appName, std::optional<std::string> bundleID)
    : appName_(std::move(appName))
    , bundleID_(std::move(bundleID))
{
}

std::shared_ptr<NSDictionary> VTNotificationGroup::iconRecord() const
{
    NSDictionary::Entries entries;
    if (bundleID_) {
        entries.emplace(NSDictionaryVantle::kBundleIdentifier, NSString::stringWithString(*bundleID_));
        if (appName_) {
            entries.emplace(NSDictionaryVantle::kApplication, NSString::stringWithString(*appName_));
        }
    }
    return NSDictionary::dictionaryWithEntries(std::move(entries));
}

std::shared_ptr<UIImage> VTNotificationGroup::icon(const IconSource& source)
{
    if (!icon_) {
        const auto record = iconRecord();
        icon_ = source ? source(*record) : UIApplicationVantle::iconForNotification(*record);
    }
    return icon_;
}

std::string VTNotificationGroup::description() const
{
    return fmt::format("Group with {} notifications of app: {}", notifications_.size(), appName_.value_or("(null)"));
}
