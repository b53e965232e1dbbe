#include "PLWriter.h"

#include "CFNotificationCenter.h"
#include "CPDistributedMessagingCenter.h"
#include "NSArray.h"
#include "NSDictionary-Vantle.h"
#include "NSFileManager.h"
#include "NSNotification.h"
#include "NSNotificationCenter.h"
#include "NSRecursiveLockHolder.h"
#include "NSRunLoop.h"
#include "SpringBoard-Vantle.h"
#include "UIApplication.h"
#include "VTWindowLink.h"

#include <atomic>
#include <vector>

struct PLWriter::Private {};

namespace {

// A log file as the store found it.
struct LogFile {
    PropertyListRead::Status status = PropertyListRead::Status::Missing;
    std::vector<id> records;

    bool exists() const { return status != PropertyListRead::Status::Missing; }
    // Exists but holds no list whose records we could keep: its bytes must be kept elsewhere before
    // the path is rewritten or cleared.
    bool needsMovingAside() const { return exists() && status != PropertyListRead::Status::Ok; }
};

LogFile readLogFile(const char* path)
{
    const auto read = NSFileManager::defaultManager().readPropertyListAtPath(path);
    LogFile file;
    file.status = read.status();
    if (const auto list = read.valueAs<NSArray>()) {
        file.records = list->objects();
    } else if (read.isOk()) {
        file.status = PropertyListRead::Status::Unreadable; // a property list, but not a list
    }
    return file;
}

// Moves an unreadable file out of the way; answers whether its path is free to be rewritten.
bool setAsideIfNeeded(const LogFile& file, const char* path)
{
    return !file.needsMovingAside() || NSFileManager::defaultManager().moveAsideUnreadableFileAtPath(path).ok();
}

void writeLogFile(const std::vector<id>& records, const char* path)
{
    (void)NSFileManager::defaultManager().writePropertyList(NSArray::arrayWithObjects(records), path);
}

// Takes the file off its path: an unreadable one is moved aside, an emptied one removed.
void clearLogFile(const LogFile& file, const char* path)
{
    if (file.needsMovingAside()) {
        setAsideIfNeeded(file, path);
    } else {
        (void)NSFileManager::defaultManager().removeItemAtPath(path);
    }
}

bool hasBundleIdentifier(const id& record, const std::string& bundleIdentifier)
{
    const auto dictionary = as<NSDictionary>(record);
    const auto identifier = dictionary ? as<NSString>(NSDictionaryVantle::bundleIdentifier(*dictionary)) : nullptr;
    return identifier && identifier->string() == bundleIdentifier;
}

// Removes the application's records; the others keep their order.
void removeRecordsOf(LogFile& file, const std::string& bundleIdentifier)
{
    std::erase_if(file.records, [&](const id& record) { return hasBundleIdentifier(record, bundleIdentifier); });
}

void prependToNewNotifications(const std::shared_ptr<NSDictionary>& plainRecord)
{
    LogFile file = readLogFile(PLWriter::kNewNotificationsPath);
    if (!setAsideIfNeeded(file, PLWriter::kNewNotificationsPath)) {
        return; // the unreadable file could not be kept; replacing it would destroy it
    }
    file.records.insert(file.records.begin(), plainRecord);
    writeLogFile(file.records, PLWriter::kNewNotificationsPath);
}

void showStatusBarImage()
{
    if (PLWriter::statusbarIcons() && UIApplication::instancesRespondToSelector("addStatusBarImageNamed:")) {
        UIApplication::sharedApplication()->addStatusBarImageNamed(PLWriter::kStatusBarImageName);
    }
}

void hideStatusBarImage()
{
    if (UIApplication::instancesRespondToSelector("removeStatusBarImageNamed:")) {
        UIApplication::sharedApplication()->removeStatusBarImageNamed(PLWriter::kStatusBarImageName);
    }
}

std::atomic<std::uint64_t> appends{0};
// Main thread only.
std::uint64_t appendBeingHandedOver = 0;

void handToWindow(const std::shared_ptr<NSDictionary>& plainRecord, std::uint64_t appendNumber)
{
    // The window's list manager runs on the main thread; handing the record over there keeps it from
    // being changed from two threads at once.
    NSRunLoop::performOnMainThread(
        [plainRecord, appendNumber] {
            if (const auto link = VTWindowLink::sharedLink()) {
                appendBeingHandedOver = appendNumber;
                link->addNotification(plainRecord);
                appendBeingHandedOver = 0;
            }
        },
        false);
}

void postDarwinNotification(const char* name)
{
    CFNotificationCenter::getDarwinNotifyCenter().postNotification(name);
}

void broadcastInProcess(const std::shared_ptr<NSDictionary>& record)
{
    const auto notification = NSNotification::notificationWithName(PLWriter::kNewNotificationBroadcast, nullptr, record);
    NSNotificationCenter::defaultCenter().postNotificationOnMainThread(notification, true);
}

} // namespace

PLWriter::PLWriter(Private) {}

NSRecursiveLock& PLWriter::storeLock()
{
    static NSRecursiveLock lock;
    return lock;
}

std::uint64_t PLWriter::appendCount()
{
    return appends.load();
}

std::uint64_t PLWriter::appendNumberBeingHandedOver()
{
    return appendBeingHandedOver;
}

void PLWriter::write(const std::shared_ptr<NSDictionary>& record)
{
    if (!record) {
        return;
    }
    const auto plainRecord = NSDictionaryVantle::simpleNotification(*record);
    std::uint64_t appendNumber = 0;
    {
        const NSRecursiveLockHolder hold(storeLock());
        prependToNewNotifications(plainRecord);
        appendNumber = ++appends;
        showStatusBarImage();
    }
    // The rest waits for the main thread, which may itself be waiting for the store's lock (the list
    // manager rewrites the files there), so it runs after the lock is released.
    postDarwinNotification(kNewNotificationDarwinName);
    handToWindow(plainRecord, appendNumber);
    if (!UIApplicationVantle::isVantleOpen()) {
        broadcastInProcess(record);
    }
}

void PLWriter::deleteNotificationsForApplication(const std::string& bundleIdentifier)
{
    if (VTWindowLink::isSharedWindowShown()) {
        return;
    }
    const NSRecursiveLockHolder hold(storeLock());
    const std::string identifier = bundleIdentifier;
    LogFile newFile = readLogFile(kNewNotificationsPath);
    LogFile oldFile = readLogFile(kOldNotificationsPath);

    if (newFile.exists()) {
        removeRecordsOf(newFile, identifier);
        if (!newFile.records.empty()) {
            writeLogFile(newFile.records, kNewNotificationsPath);
        } else {
            clearLogFile(newFile, kNewNotificationsPath);
            hideStatusBarImage();
        }
    }
    if (oldFile.exists()) {
        removeRecordsOf(oldFile, identifier);
        if (!oldFile.records.empty()) {
            writeLogFile(oldFile.records, kOldNotificationsPath);
        } else {
            clearLogFile(oldFile, kOldNotificationsPath);
        }
    }
}

std::shared_ptr<PLWriter> PLWriter::sharedListener()
{
    static const std::shared_ptr<PLWriter> listener = [] {
        auto made = std::make_shared<PLWriter>(Private{});
        made->startServer();
        return made;
    }();
    return listener;
}

void PLWriter::startServer()
{
    const auto center = CPDistributedMessagingCenter::centerNamed(kMessagingCenterName);
    // The tweak reports nothing: without a bus (or with another shell serving the name) plug-ins in
    // other processes simply cannot reach this one.
    (void)center->runServerOnCurrentThread();
    center->registerForMessageName(kNewNotificationMessage,
                                   [this](const std::string& name, const std::shared_ptr<NSDictionary>& userInfo) {
                                       receiveNotificationNamed(name, userInfo);
                                   });
}

void PLWriter::receiveNotificationNamed(const std::string&, const id& userInfo)
{
    UIApplicationVantle::registerNotification(userInfo);
}

void PLWriter::reloadSettings()
{
    const auto read = NSFileManager::defaultManager().readPropertyListAtPath(kPreferencesPath);
    if (read.isMissing()) {
        return;
    }
    settings().apply(read.valueAs<NSDictionary>());
}

void PLWriter::resetSettings()
{
    settings().reset();
}

void loadSettings(CFNotificationCenter*, void*, const std::string&, const void*, const std::shared_ptr<NSDictionary>&)
{
    PLWriter::reloadSettings();
}
