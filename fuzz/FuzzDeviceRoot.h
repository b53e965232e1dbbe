#pragma once

#include <filesystem>
#include <string_view>

// A scratch device root for a fuzz target: a fresh folder (in /dev/shm when there is one, so files cost no
// disk writes), installed as the DeviceRoot for the process and removed with everything in it when the
// object goes. A target keeps one for its whole run and puts each input's files into it.
class FuzzDeviceRoot {
public:
    FuzzDeviceRoot();
    ~FuzzDeviceRoot();
    FuzzDeviceRoot(const FuzzDeviceRoot&) = delete;
    FuzzDeviceRoot& operator=(const FuzzDeviceRoot&) = delete;

    // The host path of a device path under this root.
    std::filesystem::path hostPath(std::string_view devicePath) const;
    // Creates a device folder and its parents.
    void createDirectory(std::string_view devicePath) const;
    // Creates or replaces a file, as every writer of the system does: the bytes go to a new file that is
    // renamed over the old one (so the file is a new one, not the old one changed in place).
    void writeFile(std::string_view devicePath, std::string_view bytes) const;
    // Removes a file or folder with everything in it; nothing when it is missing.
    void remove(std::string_view devicePath) const;

private:
    std::filesystem::path path_;
};
