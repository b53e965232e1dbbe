#pragma once

#include "InstallManifest.h"
#include "InstallReport.h"

#include <filesystem>
#include <string>
#include <vector>

// The product's install step: creates or upgrades the device root that DeviceRoot::root() names from a
// payload, a host folder shaped like a device root (the build's artwork tree). Safe to run again and
// again: folders are created only when missing, a file is written only when it is missing or still holds
// what this tool wrote there last time (InstallManifest), and nothing outside the payload's own paths
// is touched, so logs, preferences and the user's own pictures survive every upgrade.
class DeviceInstaller {
public:
    explicit DeviceInstaller(std::filesystem::path payload);

    // The folders every device root has, as device paths, created when missing.
    static const std::vector<std::string>& layoutFolders();

    InstallReport install() const;

private:
    struct PayloadFile {
        std::filesystem::path source; // host path
        std::string devicePath;
    };

    bool prepareRoot(InstallReport& report) const;
    void createFolder(const std::string& devicePath, InstallReport& report) const;
    std::vector<PayloadFile> payloadFiles(InstallReport& report) const;
    static std::vector<PayloadFile> deliverableFiles();
    void installFile(const PayloadFile& file, InstallManifest& manifest, InstallReport& report) const;

    std::filesystem::path payload_;
};
