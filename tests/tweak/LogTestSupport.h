#pragma once

// Helpers shared by the log store's tests: records, reading the log files back, the preference file, a
// window that tests control, and draining job threads and the main run loop.

#include "CrossProcessChannels.h"
#include "DeviceRoot.h"
#include "JobThreadTracker.h"
#include "NSArray.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSRunLoop.h"
#include "NSString.h"
#include "NSThread.h"
#include "PLWriter.h"
#include "TemporaryDeviceRoot.h"
#include "UIApplication.h"
#include "VTWindowLink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace logtest {

inline id string(const std::string& text) { return NSString::stringWithString(text); }

// An empty bundle identifier makes a record without one.
inline std::shared_ptr<NSDictionary> makeRecord(const std::string& application, const std::string& body,
                                                const std::string& bundleIdentifier = {}, double date = 800000000.0)
{
    NSDictionary::Entries entries{
        {"Application", string(application)},
        {"Body", string(body)},
        {"Date", NSDate::dateWithTimeIntervalSinceReferenceDate(date)},
    };
    if (!bundleIdentifier.empty()) {
        entries.emplace("Bundle Identifier", string(bundleIdentifier));
    }
    return NSDictionary::dictionaryWithEntries(std::move(entries));
}

// The records of a log file, or absent when the file is missing or does not read as a list.
inline std::optional<std::vector<std::shared_ptr<NSDictionary>>> readLog(const char* path)
{
    const auto read = NSFileManager::defaultManager().readPropertyListAtPath(path);
    const auto list = read.valueAs<NSArray>();
    if (!list) {
        return std::nullopt;
    }
    std::vector<std::shared_ptr<NSDictionary>> records;
    for (const auto& element : list->objects()) {
        records.push_back(as<NSDictionary>(element));
    }
    return records;
}

inline std::vector<std::string> bodies(const std::optional<std::vector<std::shared_ptr<NSDictionary>>>& records)
{
    std::vector<std::string> result;
    if (records) {
        for (const auto& record : *records) {
            result.push_back(record ? record->stringForKey("Body").value_or("?") : "(not a dictionary)");
        }
    }
    return result;
}

// Every byte of a host file; empty when it is missing.
inline std::string fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void writeLog(const char* path, const std::vector<std::shared_ptr<NSDictionary>>& records)
{
    std::vector<id> objects(records.begin(), records.end());
    ASSERT_FALSE(NSFileManager::defaultManager().writePropertyList(NSArray::arrayWithObjects(objects), path));
}

inline void writePreferences(NSDictionary::Entries entries)
{
    ASSERT_FALSE(NSFileManager::defaultManager().writePropertyList(
        NSDictionary::dictionaryWithEntries(std::move(entries)), PLWriter::kPreferencesPath));
}

// Waits for every job thread, running the main loop meanwhile, then runs what they left queued there.
inline void drain()
{
    JobThreadTracker::waitForAll();
    while (NSRunLoop::mainRunLoop().runOnce()) {
    }
}

// The window controller as the tests play it.
class FakeWindow final : public VTWindowLink {
public:
    void addNotification(const std::shared_ptr<NSDictionary>& plainRecord) override
    {
        onMainThread = onMainThread && NSThread::isMainThread();
        received.push_back(plainRecord);
    }
    bool isWindowShown() const override { return shown.load(); }

    std::atomic<bool> shown{false};
    bool onMainThread = true;
    std::vector<std::shared_ptr<NSDictionary>> received;
};

// A fresh device root with the log folder, default settings, no window and an empty status bar.
class LogFixture : public ::testing::Test {
protected:
    LogFixture()
    {
        // Announcements to other processes stay inside the test process.
        CrossProcessChannels::useLoopback();
        root.createDirectory("/var/mobile/Library/Vantle");
        root.createDirectory("/var/mobile/Library/Preferences");
        PLWriter::resetSettings();
        PLWriter::resetStore();
        VTWindowLink::setSharedLink(nullptr);
        UIApplication::sharedApplication()->removeStatusBarImageNamed(PLWriter::kStatusBarImageName);
    }
    ~LogFixture() override
    {
        drain();
        VTWindowLink::setSharedLink(nullptr);
        PLWriter::resetSettings();
    }

    static bool statusBarShown()
    {
        return UIApplication::sharedApplication()->hasStatusBarImageNamed(PLWriter::kStatusBarImageName);
    }

    TemporaryDeviceRoot root;
};

} // namespace logtest
