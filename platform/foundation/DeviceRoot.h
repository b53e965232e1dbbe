#pragma once

#include <filesystem>
#include <string_view>

// The directory that stands for the phone's file system: every absolute path the product uses
// ("/var/mobile/Library/Vantle/NewNotifications.plist") is a device path and lives under it, like a
// simulator's container. Only the file layer resolves device paths; product code keeps the literal ones.
//
// The root is, in this order: the one set by setRoot (hosts take it from their command line, tests use a
// fresh temporary directory each), else $XDG_DATA_HOME/vantle/device, else ~/.local/share/vantle/device
// (the XDG base-directory default), else ./vantle-device when there is no home either.
//
// Reads are safe from any thread; setRoot is meant for start-up and test set-up.
class DeviceRoot {
public:
    static std::filesystem::path root();
    static void setRoot(const std::filesystem::path& root);
    // Back to the default root.
    static void resetRoot();
    static std::filesystem::path defaultRoot();

    // The host path of a device path. The device path is normalised lexically ("." and ".." resolved,
    // repeated slashes collapsed) as if it were absolute, so ".." never climbs above the root: a name
    // such as "../../../etc/passwd" in a plug-in's record stays inside. A relative device path counts
    // from the device's "/".
    static std::filesystem::path resolve(std::string_view devicePath);
    // The device path normalised as resolve does it ("/var/mobile/x" for "var//mobile/./y/../x").
    static std::string normalise(std::string_view devicePath);
};
