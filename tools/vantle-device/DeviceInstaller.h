#pragma once

#include "InstallManifest.h"
#include "InstallReport.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The product's install step: creates or upgrades the device root that DeviceRoot::root() names from a
// payload, a host folder shaped like a device root (the build's artwork tree), and the built tweak library.
// Safe to run again and again: folders are created only when missing, an artwork file is written only when
// it is missing or still holds what this tool wrote there last time (InstallManifest), and nothing outside
// the installed paths is touched, so logs, preferences and the user's own pictures survive every upgrade.
//
// The tweak library and its filter are build output: they are replaced on every install. The Activator
// assignment that opens the panel is a default: written once, on a device that never had it.
//
// Preference bundles are build output too: the folder `preferenceBundles` is shaped like a device root
// (the build stages each bundle there with the CMake function vantle_preference_bundle: its folder
// "/System/Library/PreferenceBundles/<Name>.bundle/" and its entry "/Library/PreferenceLoader/Preferences/
// <Name>.plist"), and every file in it is replaced on every install. No such folder: no bundle is built yet.
class DeviceInstaller {
public:
    static constexpr const char* kTweakLibraryPath = "/Library/MobileSubstrate/DynamicLibraries/Vantle.dylib";
    static constexpr const char* kTweakFilterPath = "/Library/MobileSubstrate/DynamicLibraries/Vantle.plist";
    static constexpr const char* kActivatorAssignmentsPath = "/var/mobile/Library/Preferences/libactivator.plist";

    // `tweakLibrary`: the built shared library to install as kTweakLibraryPath; none installs no library.
    explicit DeviceInstaller(std::filesystem::path payload, std::optional<std::filesystem::path> tweakLibrary = std::nullopt,
                             std::optional<std::filesystem::path> preferenceBundles = std::nullopt);

    // The folders every device root has, as device paths, created when missing.
    static const std::vector<std::string>& layoutFolders();

    InstallReport install() const;

private:
    enum class Policy {
        KeepUserChanges, // artwork: replaced only while it still holds what the tool wrote
        AlwaysReplace,   // build output: replaced whenever it differs
        SeedOnce,        // a default: written when missing on a device the tool never gave it to
    };
    struct PayloadFile {
        std::optional<std::filesystem::path> source; // host path; none: `bytes` are the contents
        std::string devicePath;
        Policy policy = Policy::KeepUserChanges;
        std::string bytes;
    };

    bool prepareRoot(InstallReport& report) const;
    void createFolder(const std::string& devicePath, InstallReport& report) const;
    std::vector<PayloadFile> payloadFiles(InstallReport& report) const;
    std::vector<PayloadFile> deliverableFiles(InstallReport& report) const;
    static void addFilesUnder(const std::filesystem::path& folder, Policy policy, std::vector<PayloadFile>& files,
                              std::error_code& error);
    void installFile(const PayloadFile& file, InstallManifest& manifest, InstallReport& report) const;
    std::optional<InstallReport::Action> actionFor(const PayloadFile& file, const std::string& bytes,
                                                   InstallManifest& manifest, InstallReport& report) const;

    std::filesystem::path payload_;
    std::optional<std::filesystem::path> tweakLibrary_;
    std::optional<std::filesystem::path> preferenceBundles_;
};
