#pragma once

#include "NSFileManager.h"
#include "NSObject.h"
#include "PSPreferenceFile.h"

#include <string>

// The product's preference file as the hand-written pages change it: one key replaced in the whole file,
// written atomically (a missing file is created with that key), and the tweak told to reload. A failed
// write is shown to the user in an "Error" alert. Main thread only.
class VPPreferences {
public:
    static constexpr const char* kDomain = "net.torvask.VantlePro";
    static constexpr const char* kReloadNotification = "net.torvask.LoadSettings";

    explicit VPPreferences(NSFileManager& files);

    id valueForKey(const std::string& key) const;
    // Answers whether the file was written; shows the error alert when it was not.
    bool saveValueForKey(const id& value, const std::string& key);
    // Posts the reload notification to the Darwin centre.
    static void announceChange();

private:
    PSPreferenceFile file_;
};
