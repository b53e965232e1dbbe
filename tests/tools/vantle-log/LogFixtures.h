#pragma once

#include "NSDictionary.h"
#include "NSObject.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class TemporaryDeviceRoot;

// Log files for the tool's tests, in a temporary device root.
class LogFixtures {
public:
    static constexpr const char* kNew = "/var/mobile/Library/Vantle/NewNotifications.plist";
    static constexpr const char* kOld = "/var/mobile/Library/Vantle/OldNotifications.plist";

    // A plain record dated at an ISO 8601 time.
    static std::shared_ptr<NSDictionary> record(const std::string& application, const std::string& body,
                                                const std::string& isoDate,
                                                const std::optional<std::string>& bundleIdentifier = std::nullopt);
    // Writes the elements as an XML property list at the device path (creating its folder).
    static void writeList(const TemporaryDeviceRoot& root, const char* devicePath, const std::vector<id>& elements);
    // Writes raw bytes at the device path (creating its folder).
    static void writeBytes(const TemporaryDeviceRoot& root, const char* devicePath, const std::string& bytes);
    static std::string readBytes(const std::filesystem::path& path);
};
