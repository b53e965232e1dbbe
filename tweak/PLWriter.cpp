#include "PLWriter.h"

#include "CFNotificationCenter.h"
#include "CPDistributedMessagingCenter.h"
#include "CrossProcessLock.h"
#include "NSDictionary-Vantle.h"
#include "NSFileManager.h"
#include "NSLog.h"
#include "NSNotification.h"
#include "NSNotificationCenter.h"
#include "NSRecursiveLockHolder.h"
#include "NSRunLoop.h"
#include "NSThread.h"
#include "SpringBoard-Vantle.h"
#include "UIApplication.h"
#include "VTAppendQueue.h"
#include "VTLogChangeQueue.h"
#include "VTLogFile.h"
#include "VTWindowLink.h"

#include <atomic>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

struct PLWriter::Private {};

namespace {

using Entry = VTAppendQueue::Entry;

// Everything the store keeps, under its lock. The lock also holds the log folder's cross-process lock, so a
// program that changes the log files from outside the shell (vantlectl) never interleaves with the store.
struct Store {
    CrossProcessLock folderLock{PLWriter::kLogFolder};
    NSRecursiveLock lock{&folderLock};
    VTLogFile newFile VT_GUARDED_BY(lock){PLWriter::kNewNotificationsPath};
    VTLogFile oldFile VT_GUARDED_BY(lock){PLWriter::kOldNotificationsPath};
    // Records whose write failed, oldest first. Each later append writes them again, behind its own newer
    // records, until one succeeds; until then they are neither counted nor announced.
    std::vector<Entry> unwritten VT_GUARDED_BY(lock);
    VTLogChangeQueue laterChanges{lock};
};

Store& store()
{
    static Store shared;
    return shared;
}

VTAppendQueue& appendQueue()
{
    static VTAppendQueue shared;
    return shared;
}

std::atomic<std::uint64_t> appends{0};
// Main thread only.
std::uint64_t appendBeingHandedOver = 0;

// The tweak shows nothing when the disk fails it; the system log is where the failure is seen.
void logFailure(const char* doing, const VTLogFile& file, const NSError& error)
{
    NSLog("Vantle: cannot {} {}: {}", doing, file.path(), error.reason());
}

std::vector<id> newestFirst(const std::vector<Entry>& oldestFirst)
{
    std::vector<id> records;
    records.reserve(oldestFirst.size());
    for (auto entry = oldestFirst.rbegin(); entry != oldestFirst.rend(); ++entry) {
        records.push_back(entry->plainRecord);
    }
    return records;
}

// Encodes the records, newest first. A record the writer refuses (a date too far from today for the
// file's format, say) would fail every later write it waited in, so it is dropped, and said so.
Result<VTEncodedLog> encodeDroppingWhatCannotBeWritten(std::vector<Entry>& oldestFirst)
{
    if (auto encoded = VTEncodedLog::encode(newestFirst(oldestFirst))) {
        return encoded;
    }
    std::erase_if(oldestFirst, [](const Entry& entry) {
        const auto alone = VTEncodedLog::encode({entry.plainRecord});
        if (!alone) {
            NSLog("Vantle: cannot log a record of {}: {}", entry.plainRecord->stringForKey("Application").value_or("?"),
                  alone.error().reason());
            entry.reply.refuse("cannot log the record: " + alone.error().reason());
        }
        return !alone;
    });
    return VTEncodedLog::encode(newestFirst(oldestFirst));
}

// `replaced` is left holding the log as it was, and with it the file being replaced, so that the caller
// decides when that file goes (see commitArrivedRecords).
std::optional<NSError> prependRecords(VTLogFile& file, VTEncodedLog&& records, VTEncodedLog& replaced)
{
    const auto state = file.load();
    if (!state || state.value() == VTLogFile::State::Unreadable) {
        // Its bytes are kept beside it, and the log starts again; replacing it unread would destroy them,
        // and leaving it would stop every append after this one.
        if (auto error = file.moveAside()) {
            return error;
        }
    }
    replaced = file.log();
    file.log().prepend(std::move(records));
    return file.save();
}

bool hasBundleIdentifier(const NSDictionary& record, const std::string& bundleIdentifier)
{
    const auto identifier = as<NSString>(NSDictionaryVantle::bundleIdentifier(record));
    return identifier && identifier->string() == bundleIdentifier;
}

// Removes the application's records from the file; a file left without records, or one that does not
// read, is taken off its path (the unreadable one moved aside). Answers whether the file was taken off.
bool removeRecordsOf(VTLogFile& file, const std::string& bundleIdentifier)
{
    const auto state = file.load();
    if (!state) {
        logFailure("rewrite", file, state.error());
        return false;
    }
    if (state.value() == VTLogFile::State::Missing) {
        return false;
    }
    if (state.value() == VTLogFile::State::Unreadable) {
        const auto error = file.moveAside();
        if (error) {
            logFailure("move aside", file, *error);
        }
        return !error;
    }
    const std::size_t removed = file.log().removeRecordsOf(bundleIdentifier);
    if (file.log().empty()) {
        // A removal that fails leaves the file, and its records, in place; the file manager logs it.
        return !file.remove();
    }
    if (removed > 0) {
        if (auto error = file.save()) {
            logFailure("rewrite", file, *error);
        }
    }
    return false;
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

void broadcastInProcess(const std::shared_ptr<NSDictionary>& record, bool waitUntilDone)
{
    const auto notification = NSNotification::notificationWithName(PLWriter::kNewNotificationBroadcast, nullptr, record);
    NSNotificationCenter::defaultCenter().postNotificationOnMainThread(notification, waitUntilDone);
}

std::optional<std::string> refusalOfPlainRecord(const std::shared_ptr<NSDictionary>& plainRecord)
{
    const auto alone = VTEncodedLog::encode({plainRecord});
    return alone ? std::nullopt : std::optional<std::string>("cannot log the record: " + alone.error().reason());
}

// After a failed rewrite: a sender that waits learns why at once and its record is dropped (written later,
// a retry of its sender would log it twice); the rest wait for the next append.
void keepUnwritten(Store& state, std::vector<Entry> batch, const NSError& error) VT_REQUIRES(state.lock)
{
    const std::string reason = "cannot write " + state.newFile.path() + ": " + error.reason();
    const std::size_t answered = std::erase_if(batch, [&](const Entry& entry) {
        if (entry.reply.isAwaited()) {
            entry.reply.fail(reason);
        }
        return entry.reply.isAwaited();
    });
    NSLog("Vantle: {}; {} record(s) not logged, their senders told; {} kept to be written with the next one", reason,
          answered, batch.size());
    state.unwritten = std::move(batch);
}

// Writes the records that have arrived (taken once the lock is held, so that all that gathered while it
// was awaited go together) and those an earlier failure left, with one rewrite of the new-notifications
// file, and numbers and hands over each one written, in the file's order. Answers the records written,
// oldest first (none when the write failed: they then wait for the next append), or nothing at all when
// no record had arrived, and the caller is no longer the writer.
std::optional<std::vector<Entry>> commitArrivedRecords()
{
    Store& state = store();
    const NSRecursiveLockHolder hold(state.lock);
    auto arrived = appendQueue().take();
    if (arrived.empty()) {
        return std::nullopt;
    }
    std::vector<Entry> batch = std::exchange(state.unwritten, {});
    batch.insert(batch.end(), std::make_move_iterator(arrived.begin()), std::make_move_iterator(arrived.end()));
    auto encoded = encodeDroppingWhatCannotBeWritten(batch);
    if (batch.empty()) {
        return std::vector<Entry>();
    }
    // The file replaced goes only once the senders are on their way to be answered: freeing a large file's
    // blocks keeps the file system busy for milliseconds, and the calls they send next meanwhile join the
    // next rewrite instead of waiting for one more.
    VTEncodedLog replaced;
    const auto error = encoded ? prependRecords(state.newFile, std::move(encoded).value(), replaced) : encoded.error();
    if (error) {
        keepUnwritten(state, std::move(batch), *error);
        return std::vector<Entry>();
    }
    for (const auto& entry : batch) {
        entry.reply.succeed();
        showStatusBarImage();
        // Queued under the lock, so the window receives the records in the order the file holds them.
        handToWindow(entry.plainRecord, ++appends);
    }
    return batch;
}

// Puts `plainRecord` in place of `plainReplaced` (taken out, the new one in front) with one rewrite of the
// new-notifications file; false, with the file unchanged, when it does not hold the replaced record.
bool replaceInNewFile(Store& state, const std::shared_ptr<NSDictionary>& plainRecord,
                      const std::shared_ptr<NSDictionary>& plainReplaced) VT_REQUIRES(state.lock)
{
    const auto loaded = state.newFile.load();
    auto replaced = VTEncodedLog::encode({plainReplaced});
    auto record = VTEncodedLog::encode({plainRecord});
    if (!loaded || loaded.value() != VTLogFile::State::Ok || !replaced || !record ||
        !state.newFile.log().removeNewestRecordLike(replaced.value())) {
        return false;
    }
    state.newFile.log().prepend(std::move(record).value());
    if (auto error = state.newFile.save()) {
        logFailure("rewrite", state.newFile, *error); // the file is as it was, and the log is read again next time
        return false;
    }
    return true;
}

// The announcements that wait for nothing the store holds: other processes, then, while the panel is
// closed, plug-ins in this process, on the main thread. Main-thread work runs in the order it is queued,
// so waiting for the last broadcast waits for them all.
void announce(const std::vector<Entry>& written)
{
    for (std::size_t index = 0; index < written.size(); ++index) {
        postDarwinNotification(PLWriter::kNewNotificationDarwinName);
        if (!UIApplicationVantle::isVantleOpen()) {
            broadcastInProcess(written[index].record, index + 1 == written.size());
        }
    }
}

// Puts the record among those waiting to be written. Answers whether the caller has become the writer,
// which must then call writeArrivedRecords(); otherwise the thread writing now takes the record with its
// next rewrite (or the record was answered already: nothing to write, or refused).
bool queueRecord(const std::shared_ptr<NSDictionary>& record, const CPMessageReply& reply)
{
    if (!record) {
        reply.succeed();
        return false;
    }
    auto plainRecord = NSDictionaryVantle::simpleNotification(*record);
    if (const auto refusal = refusalOfPlainRecord(plainRecord)) {
        // Queued, it would fail the rewrite of every record written with it.
        NSLog("Vantle: {} of {}", *refusal, record->stringForKey("Application").value_or("?"));
        reply.refuse(*refusal);
        return false;
    }
    return appendQueue().add({record, std::move(plainRecord), reply});
}

// The writer's work: rewrites until no record is waiting.
void writeArrivedRecords()
{
    while (const auto written = commitArrivedRecords()) {
        // The broadcasts wait for the main thread, which may itself be waiting for the store's lock (the
        // list manager rewrites the files there), so they come after the lock is released.
        announce(*written);
    }
}

} // namespace

PLWriter::PLWriter(Private) {}

NSRecursiveLock& PLWriter::storeLock()
{
    return store().lock;
}

void PLWriter::resetStore()
{
    Store& state = store();
    const NSRecursiveLockHolder hold(state.lock);
    state.unwritten.clear();
    state.newFile = VTLogFile(kNewNotificationsPath);
    state.oldFile = VTLogFile(kOldNotificationsPath);
}

void PLWriter::changeLogLater(std::function<void()> change)
{
    store().laterChanges.enqueue(std::move(change));
}

void PLWriter::waitForLaterChanges()
{
    store().laterChanges.waitForQueued();
}

std::optional<NSError> PLWriter::replaceOldNotifications(const std::vector<std::shared_ptr<NSDictionary>>& records)
{
    Store& state = store();
    const NSRecursiveLockHolder hold(state.lock);
    auto encoded = VTEncodedLog::encode(std::vector<id>(records.begin(), records.end()));
    auto error = encoded ? state.oldFile.replace(std::move(encoded).value()) : encoded.error();
    if (error) {
        logFailure("rewrite", state.oldFile, *error);
    }
    return error;
}

std::optional<NSError> PLWriter::keepNewestNewNotifications(std::size_t count)
{
    Store& state = store();
    const NSRecursiveLockHolder hold(state.lock);
    auto error = state.newFile.keepNewest(count);
    if (error) {
        logFailure("rewrite", state.newFile, *error);
    }
    return error;
}

std::uint64_t PLWriter::appendCount()
{
    return appends.load();
}

std::uint64_t PLWriter::appendNumberBeingHandedOver()
{
    return appendBeingHandedOver;
}

std::optional<std::string> PLWriter::refusalOf(const NSDictionary& record)
{
    return refusalOfPlainRecord(NSDictionaryVantle::simpleNotification(record));
}

void PLWriter::write(const std::shared_ptr<NSDictionary>& record, const CPMessageReply& reply)
{
    if (queueRecord(record, reply)) {
        writeArrivedRecords();
    }
}

void PLWriter::writeLater(const std::shared_ptr<NSDictionary>& record, const CPMessageReply& reply)
{
    if (queueRecord(record, reply)) {
        NSThread::detachNewThread(writeArrivedRecords);
    }
}

void PLWriter::writeReplacing(const std::shared_ptr<NSDictionary>& record, const std::shared_ptr<NSDictionary>& replaced,
                              const CPMessageReply& reply)
{
    if (!record || !replaced) {
        write(record, reply);
        return;
    }
    const Entry entry{record, NSDictionaryVantle::simpleNotification(*record), CPMessageReply()};
    std::optional<std::vector<Entry>> arrivedBefore;
    bool replacedInPlace = false;
    {
        Store& state = store();
        // A panel's close handed in before moves what it showed out of the new file first.
        state.laterChanges.waitForQueued();
        const NSRecursiveLockHolder hold(state.lock);
        // Asked under the lock, as a deletion asks: an open panel has read the file and keeps what it read.
        if (!VTWindowLink::isSharedWindowShown()) {
            arrivedBefore = commitArrivedRecords(); // the replaced record may be among them
            replacedInPlace =
                replaceInNewFile(state, entry.plainRecord, NSDictionaryVantle::simpleNotification(*replaced));
            if (replacedInPlace) {
                showStatusBarImage();
            }
        }
    }
    if (arrivedBefore) {
        announce(*arrivedBefore);
    }
    if (replacedInPlace) {
        reply.succeed();
        announce({entry});
    } else {
        write(record, reply);
    }
}

void PLWriter::deleteNotificationsForApplication(const std::string& bundleIdentifier)
{
    Store& state = store();
    // A panel's close handed in before must be written first, or its list would bring the records back.
    state.laterChanges.waitForQueued();
    const NSRecursiveLockHolder hold(state.lock);
    // Asked under the lock: a panel that opens meanwhile reads the files only after this deletion is done,
    // so it never shows records that then vanish under it.
    if (VTWindowLink::isSharedWindowShown()) {
        return;
    }
    const std::string identifier = bundleIdentifier;
    // A plug-in waiting for one of these is answered as if its record had been written and then deleted.
    std::erase_if(state.unwritten, [&](const Entry& entry) {
        const bool deleted = hasBundleIdentifier(*entry.plainRecord, identifier);
        if (deleted) {
            entry.reply.succeed();
        }
        return deleted;
    });
    if (removeRecordsOf(state.newFile, identifier)) {
        hideStatusBarImage();
    }
    (void)removeRecordsOf(state.oldFile, identifier); // the status bar shows new records only
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
    center->registerForMessageNameAnsweringLater(
        kNewNotificationMessage,
        [this](const std::string& name, const std::shared_ptr<NSDictionary>& userInfo, const CPMessageReply& reply) {
            receiveNotificationNamed(name, userInfo, reply);
        });
}

void PLWriter::receiveNotificationNamed(const std::string&, const id& userInfo, const CPMessageReply& reply)
{
    if (!UIApplicationVantle::registerNotification(userInfo, reply)) {
        reply.succeed(); // taken and dropped, as the message's protocol has it: nothing tells the sender
    }
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
