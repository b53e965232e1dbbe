#pragma once

#include <filesystem>
#include <string_view>

// A fresh, empty device root for one test: created in the system's temporary folder, installed as the
// DeviceRoot for the test's lifetime, then removed with everything in it and the default root restored.
class TemporaryDeviceRoot {
public:
    TemporaryDeviceRoot();
    ~TemporaryDeviceRoot();
    TemporaryDeviceRoot(const TemporaryDeviceRoot&) = delete;
    TemporaryDeviceRoot& operator=(const TemporaryDeviceRoot&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The host path of a device path under this root.
    std::filesystem::path hostPath(std::string_view devicePath) const;
    // Creates a device folder (and its parents), e.g. "/var/mobile/Library/Vantle".
    void createDirectory(std::string_view devicePath) const;

private:
    std::filesystem::path path_;
};
