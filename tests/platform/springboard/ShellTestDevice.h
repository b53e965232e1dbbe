#pragma once

#include "TemporaryDeviceRoot.h"

#include <filesystem>
#include <fstream>
#include <string>

// A fresh device root holding the built-in applications of the build's artwork tree, with helpers to
// add more bundles.
class ShellTestDevice : public TemporaryDeviceRoot {
public:
    ShellTestDevice()
    {
        std::filesystem::copy(std::filesystem::path(VANTLE_ARTWORK_DIR) / "Applications", hostPath("/Applications"),
                              std::filesystem::copy_options::recursive);
    }

    // Writes a file at a device path, creating its folders.
    void writeFile(const std::string& devicePath, const std::string& contents) const
    {
        const auto host = hostPath(devicePath);
        std::filesystem::create_directories(host.parent_path());
        std::ofstream(host, std::ios::binary) << contents;
    }

    // An Info.plist with these keys (XML fragments of <key>/<value> pairs) in a bundle folder.
    void writeInfo(const std::string& bundlePath, const std::string& entries) const
    {
        writeFile(bundlePath + "/Info.plist",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + entries +
                      "</dict></plist>\n");
    }
};
