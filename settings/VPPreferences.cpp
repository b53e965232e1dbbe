#include "VPPreferences.h"

#include "CFNotificationCenter.h"
#include "NSLog.h"
#include "NSString.h"
#include "UIAlertView.h"

namespace {

constexpr const char* kGroupByDate = "Date";
constexpr const char* kGroupByApplication = "Application";

} // namespace

VPPreferences::VPPreferences(NSFileManager& files)
    : files_(files)
    , file_(kDomain, files)
{
}

bool VPPreferences::fileExists() const
{
    const auto path = PSPreferenceFile::pathForDomain(kDomain);
    return path && files_.fileExistsAtPath(*path);
}

std::string VPPreferences::groupingInForce() const
{
    if (const auto stored = as<NSString>(file_.valueForKey(kGroupByKey))) {
        return stored->string();
    }
    return fileExists() ? kGroupByDate : kGroupByApplication;
}

std::optional<NSError> VPPreferences::keepGroupingInForce()
{
    if (fileExists()) {
        return std::nullopt;
    }
    return file_.setValueForKey(NSString::stringWithString(kGroupByApplication), kGroupByKey);
}

id VPPreferences::valueForKey(const std::string& key) const { return file_.valueForKey(key); }

bool VPPreferences::saveValueForKey(const id& value, const std::string& key)
{
    auto error = key == kGroupByKey ? std::nullopt : keepGroupingInForce();
    if (!error) {
        error = file_.setValueForKey(value, key);
    }
    if (!error) {
        return true;
    }
    NSLog("Vantle Settings: cannot save {}: {}", key, error->reason());
    std::make_shared<UIAlertView>("Error", "There was an error saving the settings, please report it.", nullptr, "Okay",
        std::vector<std::string>{})
        ->show();
    return false;
}

void VPPreferences::announceChange()
{
    CFNotificationCenter::getDarwinNotifyCenter().postNotification(kReloadNotification);
}
