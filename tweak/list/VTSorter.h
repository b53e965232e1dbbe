#pragma once

#include "NSDictionary.h"
#include "NSRunLoop.h"
#include "RXRelativeDateFormatter.h"
#include "VTNotificationCell.h"
#include "VTNotificationGroup.h"
#include "VTLogSnapshot.h"
#include "VTNotificationListManager.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>
#include <string>
#include <utility>
#include <vector>

// The list manager of one opening of the panel: it reads the log into one list of records (the
// new-notifications file's, then the old one's, newest first), has its sort strategy group them, answers the
// table, deletes entries, loads the older records on request, and on closing writes everything back as read.
// The two strategies, VTSorterByDate and VTSorterByApp, only group; everything else is here.
//
// New and read are decided by file: the first `unread()` records came from the new-notifications file.
// An entry's `index` is its record's position in `rawNotifications()` as of the last sort.
//
// Threads. The lists (records, groups, collapsed keys) belong to the main thread: every table answer and
// every change runs there, and the groups are replaced whole, never changed in place, so the table never
// reads a list under construction. `loadNotifications` runs on a job thread: it reads the files' bytes
// under the store's lock (PLWriter::storeLock), parses and sorts them into lists of its own once the lock
// is released and hands the result to the main thread (performBlock), where it is published, unless the
// manager was purged, flushed or cleared meanwhile (each of those advances a generation number, and a
// result of an older generation is dropped). Only one load runs per manager; later sorts run on the main
// thread and never read the files again.
//
// First screen. Parsing a long log takes far longer than the panel may take to show it. When the files are
// laid out as the store writes them, the load first parses only the newest records, enough for a screen,
// and publishes them with the whole log's count; the whole log follows and replaces them. In date order the
// newest records are taken in whole groups. In application order the newest records make the first groups,
// in their order, with their newest entries; what each holds further down the log (how many entries, its
// oldest record's bundle identifier, whether they all carry the collapsed mark) is found from the records'
// application names, read from the layout without parsing, and the few records that decide it, so headers
// count and fold as the whole log's do. Until the whole log is published a record handed in waits as
// during the load, "Show Older" waits, and a purge changes no file (the whole log was never held, so it
// cannot be written back); deletions and collapsed states changed on the first screen are carried over to
// the whole log, whose first records are the same at the same positions (a group deleted or folded in
// application order takes its older entries with it).
//
// Row heights. An entry's height costs a text measurement; the table asks it only for the rows it shows
// when it has an estimated row height (the panel's has), and asks the estimate, which costs no
// measurement, for the others. Nothing is cached here: the text layer keeps recent measurements.
//
// Records that arrive while the panel is open. The log store writes each record to the new-notifications
// file and then hands it, on the main thread, to the window, which passes it to `receivedNotification`;
// PLWriter numbers every append (appendCount) and says which append is being handed over. The load notes
// the append count under the same hold of the store's lock as its read, so:
//   - a record whose append number is not above that count was in the file the load read: it is dropped;
//   - a later one handed in before the load is published waits, and is listed first when it is published;
//   - a later one after that is listed first at once.
// So every record is listed once, however the hand-over and the read interleave. A record handed in by
// someone other than the store (append number 0) is always listed. Records handed in one after another (a
// burst) are listed together: on the main loop's next pass they join the groups (mergeNewest, at a cost in
// proportion to how many arrived rather than to the list's length) and the table updates once.
//
// Closing. `purge` and `clear` change the log files under the store's lock, so a write cannot fall between
// their read and their rewrite, and through the store (PLWriter::replaceOldNotifications and
// keepNewestNewNotifications), which so keeps knowing the files and needs no read for its next append or
// deletion. `purge` takes a copy of the list and the counts on the main thread and writes them back on a job
// thread (PLWriter::changeLogLater), so a long log does not stop the shell for the rewrite; the next load,
// a deletion and a clear wait for it, so they see the files as the close left them. `purge` writes the old-notifications file first and changes the new one only once that is
// written: a crash between them leaves the shown records in both files, and when the old file cannot be
// written neither file changes. The records appended after the load's count whose hand-over the manager
// did not take (still on its way to the main thread, or handed in after the panel began to close) are the
// newest of the new-notifications file; they stay there, unread, instead of being removed with the file.
// Where a write failed or a deletion of an application's records raced the opening, that count errs towards
// keeping a record in both files, never towards losing one. A purge before the load was published changes
// no file: nothing was shown, so nothing became read; a clear then removes everything logged up to it. A
// file that exists but does not read is moved aside (NSFileManager::moveAsideUnreadableFileAtPath), never
// destroyed.
//
// Must be owned by a std::shared_ptr (the load's result and the sort's completion reach it weakly).
class VTSorter : public VTNotificationListManager, public std::enable_shared_from_this<VTSorter> {
public:
    using Records = std::vector<std::shared_ptr<NSDictionary>>;
    using Groups = std::vector<std::shared_ptr<VTNotificationGroup>>;

    static constexpr const char* kCollapsedPath = "/var/mobile/Library/Vantle/Collapsed.plist";
    static constexpr const char* kHeaderCellIdentifier = "Header Cell";
    static constexpr const char* kEntryCellIdentifier = "Cell";
    static constexpr const char* kMoreCellIdentifier = "More Cell";
    static constexpr double kShowOlderRowHeight = 50;
    static constexpr double kHeaderRowHeightWithCustomIcons = 44;
    static constexpr double kHeaderRowHeightWithShellIcons = 41;
    // An entry row: its text wrapped to the panel's width less this, in the 14-point system font, plus the
    // room for the date line and the margins (the entry cell's layout).
    static constexpr double kEntryTextInset = VTNotificationCell::kTextInset;
    static constexpr double kEntryRowPadding = VTNotificationCell::kTextTop + VTNotificationCell::kTextBottomMargin;

    ~VTSorter() override;

    // --- VTNotificationListManager ---
    void loadNotifications() override;
    void reloadNotifications(bool fromDisk) override;
    void receivedNotification(const std::shared_ptr<NSDictionary>& record) override;
    void clear() override;
    void purge() override;
    void flush() override;
    void collapse() override;
    void expand() override;
    VTNotificationListWindow* window() const override { return window_; }
    void setWindow(VTNotificationListWindow* window) override { window_ = window; }
    bool isBusy() const override { return busy_.load(); }
    void setBusy(bool busy) override { busy_.store(busy); }

    // --- The table's data source and delegate (main thread) ---
    int numberOfSectionsInTableView(UITableView& table) override;
    int numberOfRowsInSection(UITableView& table, int section) override;
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;
    bool canEditRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;
    bool canMoveRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;
    void commitEditingStyleForRowAtIndexPath(UITableView& table, UITableViewCellEditingStyle style,
                                             const NSIndexPath& path) override;
    double heightForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;
    // Headers and the show-older row as heightForRowAtIndexPath; an entry from its text's length.
    double estimatedHeightForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;
    void didSelectRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;

    // --- Further operations (main thread) ---
    void collapseGroup(VTNotificationGroup& group);
    void expandGroup(VTNotificationGroup& group);
    // The entry at row - 1 of the section's group; null for a header row, the show-older row or a row
    // outside the list.
    std::shared_ptr<VTNotification> notificationForIndexPath(const NSIndexPath& path) const;
    std::optional<std::int32_t> indexOfRawNotificationForIndexPath(const NSIndexPath& path) const;
    // Removes the record at the position (nothing for a position outside the list); the files change only
    // when the panel closes.
    void deleteNotificationAtIndex(std::int32_t index);
    // "Show Older": appends the old-notifications file's records, as read, and sorts again.
    void loadAll();

    // What the table shows, for the panel and for tests.
    const Records& rawNotifications() const { return rawNotifications_; }
    const Groups& notifications() const { return notifications_; }
    unsigned unread() const { return unread_; }
    // While the first screen is shown, the count of the whole log being loaded.
    unsigned count() const
    {
        return static_cast<unsigned>(phase_ == Phase::FirstScreen
                                         ? countBeingLoaded_ - deletedOnFirstScreen_.size() - deletedBeyond_
                                         : rawNotifications_.size());
    }
    bool moreToShow() const { return moreToShow_; }
    // The date keys of collapsed entries; null when the collapsed file did not read as a dictionary.
    const std::set<std::string>* collapsedList() const { return collapsedList_ ? &*collapsedList_ : nullptr; }
    RXRelativeDateFormatter& formatter() { return formatter_; }

protected:
    // What a sort strategy works on: the records newest first, how many of them are new, and the collapsed
    // keys (null when there is no collapsed list, which leaves every group expanded).
    struct SortInput {
        const Records& records;
        unsigned unread;
        const std::set<std::string>* collapsedList;
    };

    // `main` is the loop that results are published on and tables are answered from.
    explicit VTSorter(NSRunLoop& main = NSRunLoop::mainRunLoop());

    // The strategy: the groups of the input, each holding entries built by entryAt. Runs on the loading
    // thread for the first sort and on the main thread afterwards, so it reads nothing but its input.
    virtual Groups sortNotifications(const SortInput& input) const = 0;
    // Puts `newest`, the groups sortNotifications made of records that arrived (all newer than any held),
    // into `groups`, the groups of the records held, so that `groups` comes out as a sort of all of them
    // would make it. The entries' positions are already those of the whole list.
    virtual void mergeNewest(Groups newest, Groups& groups) const = 0;
    // Whether the first groups of the whole list are the groups of its newest records alone (ending where a
    // group ends); otherwise a group of the newest records may hold older ones further down the list.
    virtual bool groupsFromNewestRecordsAlone() const { return false; }

    // Helpers of the strategies.
    // The entry of the record at position i: its body (empty when the body is not text), i, its date (null
    // when "Date" is not a date) and whether i < unread.
    static std::shared_ptr<VTNotification> entryAt(const SortInput& input, std::size_t i);
    // A new, empty (and so collapsed) group named after the record.
    static std::shared_ptr<VTNotificationGroup> groupFor(const NSDictionary& record);
    // The record's "Application" and "Bundle Identifier" when they are text.
    static std::optional<std::string> applicationNameOf(const NSDictionary& record);
    static std::optional<std::string> bundleIdentifierOf(const NSDictionary& record);
    // Groups match by application name, exactly; a record without one matches no group.
    static bool belongsTo(const NSDictionary& record, const VTNotificationGroup& group);
    // After an entry joins: the group stays collapsed only while every entry carries the collapsed mark.
    static void applyCollapsedRule(const SortInput& input, VTNotificationGroup& group, const VTNotification& entry);

private:
    // Whether the entry's date key is in the collapsed list (formatting the key only when there is a list).
    static bool isMarkedCollapsed(const SortInput& input, const VTNotification& entry);

    enum class Phase { Loading, FirstScreen, Shown, Flushed };

    // The first screen of a long log holds at least this many rows (a screen shows fewer), taken from at most
    // this many records.
    static constexpr std::size_t kFirstScreenRows = 32;
    static constexpr std::size_t kFirstScreenRecordsAtMost = 2048;

    // In application order, while the first screen shows: of a group shown, its entries beyond the records
    // parsed (further down the log), the bundle identifier of its oldest record (the group's), whether they
    // all carry the collapsed mark, and whether the user deleted, or collapsed or expanded, the group since.
    struct Beyond {
        std::size_t count = 0;
        std::optional<std::string> bundleID;
        bool marked = false;
        bool deleted = false;
        bool changed = false;
    };
    using BeyondFirstScreen = std::unordered_map<std::string, Beyond>;

    // A load's result, made on the loading thread and published on the main thread: the whole log, or first
    // its first screen (its newest records), which the whole log then replaces.
    struct Loaded {
        std::uint64_t generation = 0;
        bool firstScreen = false;
        std::size_t count = 0; // of the whole log, for a first screen
        std::uint64_t appendCount = 0;
        Records records;
        unsigned unread = 0;
        bool moreToShow = false;
        std::optional<std::set<std::string>> collapsedList;
        Groups groups;
        BeyondFirstScreen beyond; // of a first screen in application order
    };

    // The files' bytes and what goes with them, read under the store's lock; nothing when the manager was
    // purged or flushed before the read began.
    std::optional<std::pair<VTLogSnapshot, Loaded>> readNotificationsFromDisk(std::uint64_t generation) const;
    // The newest records in whole groups, as many as fill a screen; nothing when the strategy cannot group a
    // part alone, when the files are not laid out as the store writes them, or when the part would be the
    // whole log anyway.
    std::optional<Loaded> firstScreen(const VTLogSnapshot& snapshot, const Loaded& loaded) const;
    // Parses the outline's records into `records` through position `wanted`, then, with `wholeLastRun`, on
    // to the end of the last record's run of one application; false when a record does not parse.
    static bool readNewest(const VTLogSnapshot::Outline& outline, std::size_t wanted, bool wholeLastRun,
                           Records& records);
    // Finds what the first screen's groups hold beyond its records, from the records' application names as
    // laid out and the few records that decide a bundle identifier or a collapsed state, and gives the
    // groups those; false when the layout disagrees with the records parsed or too many would be parsed.
    static bool findBeyond(const VTLogSnapshot::Outline& outline, const std::set<std::string>* collapsedList,
                           Loaded& first);
    static void applyBeyond(const BeyondFirstScreen& beyond, const Groups& groups);
    // The key that marks the record's group collapsed in the collapsed list (its date), empty without a date.
    static std::string collapsedKeyOf(const NSDictionary& record);
    // The record's key is in the collapsed list.
    static bool isRecordMarkedCollapsed(const std::set<std::string>* collapsedList, const NSDictionary& record);
    // The groups of the records held, as the strategy sorts them (on a first screen, with what lies beyond).
    Groups sortHeld() const;
    // The number of entries a group's header counts: its own, and on a first screen those beyond.
    std::size_t entriesCountedBy(const VTNotificationGroup& group) const;
    // On publishing the whole log after a first screen in application order: removes the older records of
    // groups deleted there and marks or unmarks those of groups folded there. `shownEnd` is where the
    // records the first screen held end, after its deletions.
    void carryOverBeyond(std::size_t shownEnd);
    // On a first screen: notes that the user collapsed or expanded the group, entries beyond it included.
    void noteFoldedOnFirstScreen(const VTNotificationGroup& group, bool collapsed);
    static std::size_t rowsOf(const Groups& groups);
    void post(Loaded loaded);
    void publish(Loaded loaded);
    void publishFirstScreen(Loaded loaded);
    // Takes the load's lists and counts as the ones shown.
    void hold(Loaded loaded);
    void sortOnMainThread();
    // Lists (and so updates the table) once on the main loop's next pass every record received before it.
    void listReceivedOnNextPass();
    // Puts the received records first in the list and into the groups, at a cost in proportion to how many
    // arrived (a whole sort only when a group was collapsed or expanded since the last one).
    void listReceived();
    void scheduleDoneSorting();
    void doneSorting();
    void doneSortingNoReload();
    // Whether a record handed in with the append number is not one the load read (and so is to be listed);
    // counts it as taken when it is the store's.
    bool takeReceived(std::uint64_t appendNumber);
    // Lists the record first, as new, unless its append number says the load read it; answers whether it did.
    bool insertReceived(const std::shared_ptr<NSDictionary>& record, std::uint64_t appendNumber);
    // What a close writes back, taken on the main thread and written on a job thread.
    struct Closing {
        Records records;
        bool readOldNotifications = false;
        std::uint64_t readThroughAppend = 0;
        std::uint64_t takenAfterRead = 0;
        std::optional<std::set<std::string>> collapsedList;
    };
    // Under the store's lock, on the close's job thread: touches nothing of the manager, which may be gone.
    static void writeBack(Closing closing);
    // Under the store's lock: leaves in the new-notifications file only the records appended after the
    // load's count that the manager did not take, and removes it when there are none.
    static void keepUnaccountedNewNotifications(std::uint64_t readThroughAppend, std::uint64_t takenAfterRead);
    static void trimToItemsToKeep(Records& records);
    void deleteGroupEntries(const VTNotificationGroup& group);
    void deleteRow(const NSIndexPath& path);
    std::shared_ptr<VTNotificationGroup> groupAt(int section) const;
    // The entry as notificationForIndexPath finds it, without taking a reference (the table asks every row).
    const std::shared_ptr<VTNotification>* entryAtIndexPath(const NSIndexPath& path) const;
    bool isShowOlderSection(int section) const;
    double entryTextWidth() const;

    std::shared_ptr<UITableViewCell> headerCell(UITableView& table, VTNotificationGroup& group);
    std::shared_ptr<UITableViewCell> entryCell(UITableView& table, const VTNotification& entry);
    std::shared_ptr<UITableViewCell> moreCell(UITableView& table);

    NSRunLoop& main_;
    VTNotificationListWindow* window_ = nullptr;
    RXRelativeDateFormatter formatter_;

    // Main thread.
    Phase phase_ = Phase::Loading;
    Records rawNotifications_;
    Groups notifications_;
    std::optional<std::set<std::string>> collapsedList_ = std::set<std::string>();
    unsigned unread_ = 0;
    bool moreToShow_ = false;
    // Records handed in while the load runs, with their append numbers.
    std::vector<std::pair<std::uint64_t, std::shared_ptr<NSDictionary>>> arrivedDuringLoad_;
    // Records received while shown and not yet listed, oldest first.
    Records received_;
    bool receivedSortQueued_ = false;
    // Whether every group's collapsed flag is the one the last sort derived from the collapsed list (no group
    // was collapsed or expanded since), so that records that arrive can join the groups without a sort.
    bool groupsAsSorted_ = false;
    // While the first screen is shown: the whole log's count, and the positions deleted and whether a collapsed
    // state changed since, which the whole log gets too when it is published.
    std::size_t countBeingLoaded_ = 0;
    std::vector<std::int32_t> deletedOnFirstScreen_;
    bool collapsedChangedOnFirstScreen_ = false;
    // In application order: the number of records the first screen was published with, what its groups hold
    // beyond them, and how many of those went with a deleted group.
    std::size_t firstScreenEnd_ = 0;
    BeyondFirstScreen beyond_;
    std::size_t deletedBeyond_ = 0;
    // Whether the append count below is known (a load was published, or a clear set it).
    bool accounted_ = false;
    std::uint64_t readThroughAppend_ = 0;
    std::uint64_t takenAfterRead_ = 0;

    // Any thread.
    std::atomic<bool> busy_{false};
    std::atomic<std::uint64_t> generation_{0};
};
