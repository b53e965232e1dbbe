#include "LogFixtures.h"

#include "NSArray.h"
#include "NSDate.h"
#include "NSFileManager.h"
#include "NSString.h"
#include "TemporaryDeviceRoot.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

std::shared_ptr<NSDictionary> LogFixtures::record(const std::string& application, const std::string& body,
                                                  const std::string& isoDate,
                                                  const std::optional<std::string>& bundleIdentifier)
{
    NSDictionary::Entries entries{{"Application", NSString::stringWithString(application)},
                                  {"Body", NSString::stringWithString(body)},
                                  {"Date", NSDate::dateWithISO8601String(isoDate)}};
    if (bundleIdentifier) {
        entries["Bundle Identifier"] = NSString::stringWithString(*bundleIdentifier);
    }
    return NSDictionary::dictionaryWithEntries(std::move(entries));
}

void LogFixtures::writeList(const TemporaryDeviceRoot& root, const char* devicePath, const std::vector<id>& elements)
{
    root.createDirectory("/var/mobile/Library/Vantle");
    const auto error = NSFileManager::defaultManager().writePropertyList(NSArray::arrayWithObjects(elements), devicePath);
    ASSERT_FALSE(error.has_value()) << error->reason();
}

void LogFixtures::writeBytes(const TemporaryDeviceRoot& root, const char* devicePath, const std::string& bytes)
{
    root.createDirectory("/var/mobile/Library/Vantle");
    std::ofstream(root.hostPath(devicePath), std::ios::binary) << bytes;
}

std::string LogFixtures::readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
