#include "VPPreferences.h"

#include "CFNotificationCenter.h"
#include "NSLog.h"
#include "UIAlertView.h"

VPPreferences::VPPreferences(NSFileManager& files)
    : file_(kDomain, files)
{
}

id VPPreferences::valueForKey(const std::string& key) const { return file_.valueForKey(key); }

bool VPPreferences::saveValueForKey(const id& value, const std::string& key)
{
    const auto error = file_.setValueForKey(value, key);
    if (!error) {
        return true;
    }
    NSLog("Vantle Settings: cannot save {}: {}", key, error->reason());
    std::make_shared<UIAlertView>("Error", "There was an error saving the settings, please report it.", nullptr,
                                  "Okay", std::vector<std::string> {})
        ->show();
    return false;
}

void VPPreferences::announceChange() { CFNotificationCenter::getDarwinNotifyCenter().postNotification(kReloadNotification); }
