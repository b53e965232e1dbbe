#pragma once

#include "Mutex.h"
#include "SBApplication.h"
#include "ThreadSafety.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class NSDictionary;

// The applications installed on the device: the system's in "/Applications/<Name>.app" and the user's in
// "/var/mobile/Applications/<container>/<Name>.app", each described by the "Info.plist" in its bundle
// (CFBundleIdentifier; CFBundleDisplayName, else CFBundleName, else the folder's name; CFBundleIconFile or
// CFBundleIconFiles, else "Icon.png"). A bundle without a readable Info.plist or without an identifier is
// skipped; when two bundles claim one identifier, the system's (then the first by name) wins.
//
// The scan is kept and made again when the device root changes or when an application folder changed
// since (a bundle or container added, removed or written into: the folders' modification times), so an
// application installed meanwhile is found while repeated questions about one that is not cost a few
// stat calls, not a read of every Info.plist. `rescan` forces a new scan. Safe to use from any thread.
class SBApplicationController final {
public:
    static constexpr std::string_view kSystemApplicationsPath = "/Applications";
    static constexpr std::string_view kUserApplicationsPath = "/var/mobile/Applications";

    static SBApplicationController& sharedInstance();

    // The installed application with this bundle identifier, or null.
    std::shared_ptr<SBApplication> applicationWithDisplayIdentifier(const std::string& bundleIdentifier);
    // Every installed application: the system's first, then the user's, each in order of folder name.
    std::vector<std::shared_ptr<SBApplication>> allApplications();
    void rescan();

    // The application described by a bundle folder's Info.plist (device paths), or null when the bundle
    // has no readable Info.plist or no identifier.
    static std::shared_ptr<SBApplication> applicationInBundle(const std::string& bundlePath);

private:
    SBApplicationController() = default;

    // The root and the modification time of every application folder, container and bundle.
    using Fingerprint = std::vector<std::pair<std::filesystem::path, std::filesystem::file_time_type>>;
    static Fingerprint fingerprint();
    // Whether the root and every folder of the fingerprint are as they were when it was taken.
    static bool unchangedSince(const Fingerprint& scanned);

    void scanIfChanged() VT_REQUIRES(mutex_);
    void scan() VT_REQUIRES(mutex_);
    static std::vector<std::string> bundlePaths();
    static std::vector<std::string> bundlesIn(const std::string& folder);
    static std::string iconPath(const std::string& bundlePath, const NSDictionary& info);
    static std::string smallIconPath(const std::string& bundlePath, const std::string& iconPath);

    Mutex mutex_;
    std::optional<Fingerprint> scanned_ VT_GUARDED_BY(mutex_);
    std::vector<std::shared_ptr<SBApplication>> applications_ VT_GUARDED_BY(mutex_);
};
