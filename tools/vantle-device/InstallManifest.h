#pragma once

#include "NSError.h"
#include "Result.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

// What the install tool has put on a device: for each device path, a hash of the bytes it wrote there.
// An upgrade replaces a file only while the file still holds exactly those bytes, so a picture that the
// user changed, or put there before the tool ever ran, is never overwritten. Kept in the device root at
// kPath, outside every folder the product reads.
class InstallManifest {
public:
    static constexpr const char* kPath = "/var/lib/vantle-device/Installed.plist";

    // A hash of file contents (64-bit FNV-1a, in hex): enough to tell whether a file changed, not meant
    // to resist anyone forging one.
    static std::string contentHash(std::string_view bytes);

    // The manifest of the current device root; an empty one when there is none yet.
    static Result<InstallManifest> load();
    std::optional<NSError> save() const;

    std::optional<std::string> hashForPath(const std::string& devicePath) const;
    void setHashForPath(const std::string& devicePath, std::string hash);
    std::size_t count() const { return hashes_.size(); }

private:
    std::map<std::string, std::string> hashes_;
};
