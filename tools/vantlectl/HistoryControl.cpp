#include "HistoryControl.h"

#include "DBusNames.h"
#include "DeviceRoot.h"
#include "LogFile.h"
#include "NSDictionary-Vantle.h"
#include "NSFileManager.h"
#include "NSNumber.h"
#include "NSRecursiveLockHolder.h"
#include "NSString.h"
#include "OpenPanel.h"
#include "PLWriter.h"
#include "PSPreferenceFile.h"
#include "VTSorter.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include <sdbus-c++/sdbus-c++.h>

namespace {

constexpr const char* kPreferenceDomain = "net.torvask.VantlePro";

Result<LogFile> readLog(const char* devicePath)
{
    LogFile file = LogFile::read(devicePath);
    if (file.isUnreadable()) {
        return NSError(file.hostPath().string() + ": unreadable: " + file.reason());
    }
    return file;
}

bool hasBundleIdentifier(const id& record, const std::string& bundleIdentifier)
{
    const auto dictionary = as<NSDictionary>(record);
    const auto identifier = dictionary ? as<NSString>(NSDictionaryVantle::bundleIdentifier(*dictionary)) : nullptr;
    return identifier && identifier->string() == bundleIdentifier;
}

// Posts "net.torvask.LoadSettings" and stays connected until a running shell has taken it in. The shell
// asks the bus which user posted it and ignores a post whose poster cannot be told, as one that has already
// exited cannot; so the post is followed, on the same connection, by a ping of the shell's log server, whose
// connection is the one that observes the post: the bus keeps each connection's messages in order, so the
// answer comes once the shell has handled the post. No shell: the ping fails, which is fine.
void announceSettings()
{
    try {
        const auto connection = sdbus::createSessionBusConnection();
        auto emitter = sdbus::createObject(*connection, DBusNames::kDarwinObjectPath);
        auto signal = emitter->createSignal(DBusNames::kDarwinInterface, DBusNames::kDarwinSignal);
        signal << std::string(PLWriter::kLoadSettingsDarwinName);
        emitter->emitSignal(signal);
        auto shell = sdbus::createProxy(*connection, PLWriter::kMessagingCenterName, DBusNames::kMessagingObjectPath);
        auto ping = shell->createMethodCall("org.freedesktop.DBus.Peer", "Ping");
        (void)shell->callMethod(ping); // answered, or no shell to answer
    } catch (const sdbus::Error&) {
        // No bus to reach, or no shell on it: nobody to tell.
    }
}

} // namespace

HistoryControl::HistoryControl(const std::filesystem::path& root)
{
    DeviceRoot::setRoot(root);
}

Result<HistoryControl::Counts> HistoryControl::count() const
{
    const NSRecursiveLockHolder hold(PLWriter::storeLock());
    const auto newFile = readLog(PLWriter::kNewNotificationsPath);
    if (!newFile) {
        return newFile.error();
    }
    const auto oldFile = readLog(PLWriter::kOldNotificationsPath);
    if (!oldFile) {
        return oldFile.error();
    }
    return Counts{newFile.value().elements().size(), oldFile.value().elements().size()};
}

std::optional<NSError> HistoryControl::clear()
{
    if (auto error = OpenPanel::closeIfShown()) {
        return error;
    }
    const NSRecursiveLockHolder hold(PLWriter::storeLock());
    if (auto error = PLWriter::keepNewestNewNotifications(0)) {
        return error;
    }
    if (auto error = PLWriter::replaceOldNotifications({})) {
        return error;
    }
    auto error = NSFileManager::failureToChange(NSFileManager::defaultManager().removeItemAtPath(VTSorter::kCollapsedPath));
    if (error && error->code() == ENOENT) {
        return std::nullopt; // no group was ever collapsed
    }
    return error;
}

std::size_t HistoryControl::recordsOf(const std::string& bundleIdentifier)
{
    std::size_t found = 0;
    for (const char* path : {PLWriter::kNewNotificationsPath, PLWriter::kOldNotificationsPath}) {
        const LogFile file = LogFile::read(path);
        found += static_cast<std::size_t>(std::count_if(file.elements().begin(), file.elements().end(),
                                                        [&](const id& record) { return hasBundleIdentifier(record, bundleIdentifier); }));
    }
    return found;
}

Result<std::size_t> HistoryControl::deleteApplication(const std::string& bundleIdentifier)
{
    if (auto error = OpenPanel::closeIfShown()) {
        return *error;
    }
    // One hold across the count and the deletion, so the count is of what was deleted. The deletion first
    // waits for the panel's queued changes, which it may not do under the lock; but this process has no panel
    // and so nothing queued, and the wait returns at once.
    const NSRecursiveLockHolder hold(PLWriter::storeLock());
    const std::size_t before = recordsOf(bundleIdentifier);
    PLWriter::deleteNotificationsForApplication(bundleIdentifier);
    // The store reports its failures to the system log only; what is left on disk says whether it worked.
    if (const std::size_t left = recordsOf(bundleIdentifier); left > 0) {
        return NSError(std::to_string(left) + " record(s) of " + bundleIdentifier +
                       " could not be deleted (the system log has the reason)");
    }
    return before;
}

std::optional<NSError> HistoryControl::holdPopUps(bool held)
{
    PSPreferenceFile preferences(kPreferenceDomain, NSFileManager::defaultManager());
    if (auto error = preferences.setValuesForKeys({{"Block Homescreen Alerts", NSNumber::numberWithBool(held)},
                                                   {"Block Lockscreen Alerts", NSNumber::numberWithBool(held)}})) {
        return error;
    }
    // Without a session bus no shell can be listening; the shell reads the file when it starts.
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
        announceSettings();
    }
    return std::nullopt;
}
