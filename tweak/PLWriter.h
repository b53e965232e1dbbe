#pragma once

#include "CFNotificationCenter.h"
#include "CPMessageReply.h"
#include "NSDictionary.h"
#include "NSError.h"
#include "NSObject.h"
#include "NSRecursiveLock.h"
#include "NSString.h"
#include "VTSettings.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The notification log store and the settings of the tweak library.
//
// The log is two property-list files of plain records, newest first: "NewNotifications.plist" (arrived
// since the panel was last closed) and "OldNotifications.plist" (already shown). `write` appends a record
// and announces it; `deleteNotificationsForApplication` removes one application's records from both.
// Both run on job threads and serialise their whole read-modify-write on `storeLock()`, which every other
// writer of these files must take too. A file that exists but does not read as a list is moved aside
// (see NSFileManager::moveAsideUnreadableFileAtPath) before its path is rewritten or cleared, so no
// record is ever destroyed.
//
// Speed. The store keeps what it last wrote to each file (see VTLogFile): while the file is unchanged
// since, an append encodes only the new record and puts it in front of the encoded rest, and a deletion
// cuts records out of it; nothing is parsed. Appends that arrive while one is being written are written
// together by that writer with its next rewrite (see VTAppendQueue), so a burst costs a few rewrites.
//
// Failures. A record the store cannot write (a full disk, an I/O error, a missing log folder) is neither
// counted nor announced; the failure goes to the system log with the path and the reason. A record whose
// sender waits for the answer (a reply that is awaited) is answered at once with that reason and dropped,
// so the sender knows it was not kept and a retry cannot log it twice. Any other record (the shell's own
// alerts) stays in memory and is written with the next append that succeeds, behind the newer records, so
// a disk that fills and frees again loses none of them while the process runs.
//
// The settings are an in-memory copy of the preference file, read by `reloadSettings` on the main thread
// and read through the getters from any thread (see VTSettings).
class PLWriter final : public NSObject {
public:
    static constexpr const char* kLogFolder = "/var/mobile/Library/Vantle/";
    static constexpr const char* kNewNotificationsPath = "/var/mobile/Library/Vantle/NewNotifications.plist";
    static constexpr const char* kOldNotificationsPath = "/var/mobile/Library/Vantle/OldNotifications.plist";
    static constexpr const char* kPreferencesPath = "/var/mobile/Library/Preferences/net.torvask.VantlePro.plist";
    static constexpr const char* kMessagingCenterName = "net.torvask.Vantle.newNotifications";
    static constexpr const char* kNewNotificationMessage = "New Notification";
    static constexpr const char* kNewNotificationDarwinName = "net.torvask.NewNotification";
    static constexpr const char* kNewNotificationBroadcast = "Vantle: New Notification";
    static constexpr const char* kLoadSettingsDarwinName = "net.torvask.LoadSettings";
    static constexpr const char* kStatusBarImageName = "Vantle";

    // --- Log store ---

    // Appends the plain form of the record at the front of the new-notifications file, then: the
    // status-bar image (with "Statusbar Icons"), "net.torvask.NewNotification" to other processes, the
    // plain record to the window (on the main thread), and, while the panel is closed, "Vantle: New
    // Notification" with the full record, posted on the main thread while the writing thread waits. Runs
    // on a job thread. Returns once the record is written and announced, or at once when another thread is
    // writing: that thread then writes this record with its next rewrite and makes its announcements. A
    // record that cannot be written waits in memory for the next append unless `reply` is awaited (see
    // Failures above). `reply` is completed once the rewrite that holds the record has returned, and failed
    // with the reason when that rewrite fails (refused when the record cannot be written at all).
    // A record that no file form can hold (a date no property list can write, say) is refused at once, before
    // anything else: the reason goes to the system log and to `reply`.
    static void write(const std::shared_ptr<NSDictionary>& record, const CPMessageReply& reply = CPMessageReply());
    // As write, but returns at once: the record joins those waiting to be written on the calling thread, so
    // records handed in one after another are written in that order, and the thread writing now takes it,
    // or, when none is, a job thread started for it. A burst thus costs no thread per record. Any thread.
    static void writeLater(const std::shared_ptr<NSDictionary>& record, const CPMessageReply& reply = CPMessageReply());
    // Why the record's plain form cannot be logged; nothing when it can. Any thread.
    static std::optional<std::string> refusalOf(const NSDictionary& record);
    // An update of a record written before (`replaced`, as it was handed to write): while the new-notifications
    // file still holds the replaced record, one rewrite takes it out and puts `record` in front, announced as
    // write announces; otherwise (the panel is shown, or the replaced record was read and moved on, deleted,
    // or never written) `record` is written as write writes it. Records handed to write before this call
    // are written first. `reply` is completed as write completes it. Runs on a job thread.
    static void writeReplacing(const std::shared_ptr<NSDictionary>& record, const std::shared_ptr<NSDictionary>& replaced,
                               const CPMessageReply& reply = CPMessageReply());
    // Removes every record whose "Bundle Identifier" equals the identifier exactly from both files and
    // from the records waiting to be written; nothing while the panel is shown (asked under the store's
    // lock, so a panel that opens meanwhile reads the files after the deletion). A file left empty is
    // removed (the new one with its status-bar image); one that cannot be removed stays, and so does the
    // image. Failures go to the system log. Runs on a job thread.
    static void deleteNotificationsForApplication(const std::string& bundleIdentifier);
    // Back to the store's state at library load: no record waiting to be written, nothing remembered of
    // the files. For tests and for a host that starts over on another device root.
    static void resetStore();
    // The lock that serialises every read-modify-write of the two log files. Its outermost hold also holds
    // the log folder's CrossProcessLock, which keeps other processes that change the files out meanwhile.
    static NSRecursiveLock& storeLock();
    // A change to the log files that the caller does not wait for (the panel's close writes its list back
    // so): `change` runs on a job thread holding storeLock(), after every change handed in before it (see
    // VTLogChangeQueue). A deletion of an application's records waits for the changes handed in before it,
    // and so must every reader that needs their effect. Any thread.
    static void changeLogLater(std::function<void()> change);
    // Returns once every change handed to changeLogLater before the call has been made. REQUIRES: the caller
    // does not hold storeLock(). Any thread.
    static void waitForLaterChanges();

    // The list manager's changes to the log files when the panel closes or is cleared. They go through the
    // store, which keeps what it wrote (see Speed above), so the store's next append or deletion reads
    // nothing however large the files are. Each takes storeLock(); the list manager holds it across its
    // read of the files and these writes. A file that does not read is moved aside, never destroyed. A
    // failure goes to the system log, is answered, and leaves the file as it was. Any thread.
    //
    // Makes the records (newest first) the old-notifications file's whole content; with none, takes the
    // file off its path.
    [[nodiscard]] static std::optional<NSError> replaceOldNotifications(
        const std::vector<std::shared_ptr<NSDictionary>>& records);
    // Leaves only the newest `count` records in the new-notifications file; with none left, takes the file
    // off its path.
    [[nodiscard]] static std::optional<NSError> keepNewestNewNotifications(std::size_t count);

    // How many records `write` has put in the new-notifications file in this process: each record counts
    // once, when the rewrite that holds it has succeeded (a record whose write failed counts when a later
    // rewrite stores it). Read it while holding storeLock() for a number that matches the files as read
    // under the same hold: the newest `appendCount() - n` records of the new-notifications file are then
    // exactly the ones appended after the count was n, unless a deletion removed records since. Any thread.
    static std::uint64_t appendCount();
    // While a logged record is being handed to the window (VTWindowLink::addNotification, on the main
    // thread), the number appendCount() reached with that record's append; 0 at any other time. This is how
    // the panel's list tells whether a record handed in was already in the file it read. Main thread.
    static std::uint64_t appendNumberBeingHandedOver();

    // The messaging-centre listener, made on the first call, which starts the plug-in server on the
    // calling thread's run loop (the main thread's). Lives until the process ends.
    static std::shared_ptr<PLWriter> sharedListener();
    // A plug-in's message. A consistent record is written as `write` writes it, on a job thread of its own,
    // and the reply is completed once the rewrite that holds the record has returned, so a sender that got
    // its answer knows its record is in the file. Anything else is logged nothing and answered at once.
    // A record whose write fails is answered at once with the reason and not written later (see Failures).
    // Without a reply nobody is answered. Main thread.
    void receiveNotificationNamed(const std::string& name, const id& userInfo,
                                  const CPMessageReply& reply = CPMessageReply());

    // --- Settings ---

    // Reads the preference file into the settings; a missing file changes nothing.
    static void reloadSettings();
    // Back to the values at library load (defaults, nothing loaded, both alert flags true). For tests and
    // for a host that starts over.
    static void resetSettings();

    static bool autoDeleteOnBadge() { return settings().autoDeleteOnBadge(); }
    static std::int64_t autoDelete() { return settings().autoDelete(); }
    static bool blockHomescreenAlerts() { return settings().blockHomescreenAlerts(); }
    static bool blockLockscreenAlerts() { return settings().blockLockscreenAlerts(); }
    static bool customIcons() { return settings().customIcons(); }
    static bool hideRead() { return settings().hideRead(); }
    static std::int32_t itemsToKeep() { return settings().itemsToKeep(); }
    static bool livePulldown() { return settings().livePulldown(); }
    static bool statusbarIcons() { return settings().statusbarIcons(); }
    static bool musicOnLockscreen() { return settings().musicOnLockscreen(); }
    static bool musicOnHomescreen() { return settings().musicOnHomescreen(); }
    // Null until a preference file has been loaded; "Date" when a loaded file lacks the key.
    static std::shared_ptr<NSString> groupBy() { return settings().groupBy(); }
    // Source (application name or bundle identifier) to target bundle identifier; null until loaded.
    static std::shared_ptr<NSDictionary> redirections() { return settings().redirections(); }
    // The bundle identifiers whose alerts are not captured; null until loaded.
    static std::shared_ptr<const VTSettings::IgnoredSet> ignoredApplications() { return settings().ignoredApplications(); }

    // The alerts-allowed flags: while false, captured alerts' pop-ups are held back on that screen.
    static void overrideLockscreen(bool allowed) { settings().setOverriddenLockscreen(allowed); }
    static bool overridenLockscreen() { return settings().overriddenLockscreen(); }
    static void overrideSpringBoard(bool allowed) { settings().setOverriddenSpringBoard(allowed); }
    static bool overridenSpringBoard() { return settings().overriddenSpringBoard(); }

    std::string className() const override { return "PLWriter"; }

    struct Private;
    explicit PLWriter(Private);

private:
    void startServer();
    static VTSettings& settings() { return VTSettings::shared(); }
};

// The Darwin notification callback that reloads the settings ("net.torvask.LoadSettings"); its arguments
// are ignored. The library's initialiser registers it with the Darwin centre.
void loadSettings(CFNotificationCenter* center, void* observer, const std::string& name, const void* object,
                  const std::shared_ptr<NSDictionary>& userInfo);
