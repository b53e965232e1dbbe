#pragma once

#include "NSError.h"
#include "NSObject.h"
#include "Result.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

class NSFileManager;

// One preference domain's file, "/var/mobile/Library/Preferences/<domain>.plist", as the settings cells read
// and write it. A read answers the value under the key, or null when the file is missing, does not read as a
// dictionary or lacks the key. A write reads the whole file, replaces the one key and writes the whole
// dictionary back atomically (NSFileManager::writePropertyList): a missing file (and its folder) is
// created; a file that exists but does not read as a dictionary is first moved aside
// (NSFileManager::moveAsideUnreadableFileAtPath), so nothing the user had is destroyed.
//
// A domain is a file name: one holding "/" or beginning with "." names no file, and every read and write of
// it fails, so a specifier file cannot make the framework write outside the preferences folder.
class PSPreferenceFile {
public:
    static constexpr const char* kPreferencesFolder = "/var/mobile/Library/Preferences/";

    // The device path of the domain's file; none for a domain that names no file.
    static std::optional<std::string> pathForDomain(const std::string& domain);

    PSPreferenceFile(std::string domain, NSFileManager& files);

    id valueForKey(const std::string& key) const;
    [[nodiscard]] std::optional<NSError> setValueForKey(const id& value, const std::string& key);
    // Replaces several keys with one write, so a reader sees all of them changed or none (a null value
    // removes its key).
    [[nodiscard]] std::optional<NSError> setValuesForKeys(const std::vector<std::pair<std::string, id>>& values);

private:
    std::string domain_;
    NSFileManager& files_;
};
