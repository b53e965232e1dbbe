// The list manager over a device root: what it reads, what the table is told, deletion, selection, the
// collapsed state across openings, and what it writes back on closing and clearing.
#include "FileSystemCalls.h"
#include "ListTestSupport.h"
#include "NSNumber.h"
#include "NSPropertyListSerialization.h"
#include "NSString-UIStringDrawing.h"
#include "VTHeaderCell.h"
#include "VTNotificationCell.h"
#include "VTShowMoreCell.h"
#include "VTSorterByApp.h"
#include "VTSorterByDate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>

using namespace listtest;
using logtest::bodies;
using logtest::makeRecord;
using logtest::readLog;
using logtest::writeLog;

namespace {

std::vector<std::shared_ptr<NSDictionary>> numbered(
    const std::string& application, const std::string& prefix, int count, double newest = 800000000.0)
{
    std::vector<std::shared_ptr<NSDictionary>> records;
    for (int i = 0; i < count; ++i) {
        records.push_back(
            makeRecord(application, prefix + std::to_string(i), "com.example." + application, newest - i));
    }
    return records;
}

std::vector<std::string> numberedBodies(const std::string& prefix, int from, int to)
{
    std::vector<std::string> result;
    for (int i = from; i < to; ++i) {
        result.push_back(prefix + std::to_string(i));
    }
    return result;
}

bool exists(const char* path) { return NSFileManager::defaultManager().fileExistsAtPath(path); }

// `count` records, newest first, in runs of seven of ten applications; the first bodies are `prefix`0, 1, ...
std::vector<std::shared_ptr<NSDictionary>> runsOfSeven(const std::string& prefix, int count, double newest)
{
    std::vector<std::shared_ptr<NSDictionary>> records;
    for (int i = 0; i < count; ++i) {
        const std::string application = "App" + std::to_string(i / 7 % 10);
        records.push_back(makeRecord(application, prefix + std::to_string(i), "com.example." + application, newest - i));
    }
    return records;
}

// The default file manager's system calls, counting the opens of one file and failing writes on request,
// for as long as it is installed.
class WatchedCalls final : public FileSystemCalls {
public:
    explicit WatchedCalls(std::filesystem::path watched) : watched_(std::move(watched)) {}

    int open(const char* path, int flags, mode_t mode) override
    {
        opens += watched_ == path ? 1 : 0;
        return FileSystemCalls::open(path, flags, mode);
    }
    ssize_t write(int fd, const void* buffer, size_t size) override
    {
        if (failWrites) {
            errno = ENOSPC;
            return -1;
        }
        return FileSystemCalls::write(fd, buffer, size);
    }

    std::atomic<int> opens{0};
    std::atomic<bool> failWrites{false};

private:
    std::filesystem::path watched_;
};

class InstalledCalls {
public:
    explicit InstalledCalls(std::shared_ptr<FileSystemCalls> calls)
    {
        NSFileManager::defaultManager().setFileSystemCalls(std::move(calls));
    }
    ~InstalledCalls() { NSFileManager::defaultManager().setFileSystemCalls(nullptr); }
};

// The bytes a whole write of the file's records gives.
std::string fullEncodeOf(const char* path)
{
    const auto records = readLog(path);
    const auto xml = NSPropertyListSerialization::dataWithPropertyList(
        NSArray::arrayWithObjects(std::vector<id>(records->begin(), records->end())));
    return xml ? xml.value() : "(cannot encode)";
}

} // namespace

class ListManager : public ListFixture {
protected:
    void usePreferences(NSDictionary::Entries entries)
    {
        logtest::writePreferences(std::move(entries));
        PLWriter::reloadSettings();
    }
    int sections() { return panel.listManager->numberOfSectionsInTableView(*panel.table); }
    int rows(int section) { return panel.listManager->numberOfRowsInSection(*panel.table, section); }
};

TEST_F(ListManager, WithoutFilesTheListIsEmptyAndSaysSo)
{
    const auto manager = open<VTSorterByDate>();
    EXPECT_EQ(sections(), 0);
    EXPECT_EQ(panel.count, 0u);
    EXPECT_TRUE(panel.noNotifications);
    EXPECT_EQ(panel.finishedSortings, 1);
    EXPECT_GE(panel.reloads, 1);
    EXPECT_FALSE(manager->isBusy());
}

TEST_F(ListManager, HideReadOffersShowOlderWhichAppendsTheOldRecordsAsRead)
{
    writeLog(PLWriter::kNewNotificationsPath, numbered("Mail", "new", 2));
    writeLog(PLWriter::kOldNotificationsPath, numbered("Mail", "old", 3, 799990000.0));
    const auto manager = open<VTSorterByApp>();
    EXPECT_EQ(bodiesOf(manager->rawNotifications()), numberedBodies("new", 0, 2));
    ASSERT_EQ(sections(), 2);
    EXPECT_EQ(rows(1), 1);
    EXPECT_EQ(manager->heightForRowAtIndexPath(*panel.table, NSIndexPath(0, 1)), 50);

    const auto cell =
        std::dynamic_pointer_cast<VTShowMoreCell>(manager->cellForRowAtIndexPath(*panel.table, NSIndexPath(0, 1)));
    ASSERT_TRUE(cell);
    cell->button()->sendActionsForControlEvents(UIControlEventTouchUpInside);
    logtest::drain();

    auto expected = numberedBodies("new", 0, 2);
    for (const auto& body : numberedBodies("old", 0, 3)) {
        expected.push_back(body);
    }
    EXPECT_EQ(bodiesOf(manager->rawNotifications()), expected);
    EXPECT_EQ(manager->unread(), 2u);
    EXPECT_FALSE(manager->moreToShow());
    EXPECT_EQ(sections(), 1);
    EXPECT_EQ(panel.count, 5u);
}

TEST_F(ListManager, AnEmptyOldFileStillOffersShowOlderAndTheEmptyStateStaysHidden)
{
    writeLog(PLWriter::kOldNotificationsPath, {});
    const auto manager = open<VTSorterByDate>();
    EXPECT_EQ(sections(), 1);
    EXPECT_FALSE(panel.noNotifications);
    manager->loadAll();
    logtest::drain();
    EXPECT_EQ(sections(), 0);
    EXPECT_EQ(manager->count(), 0u);
}

TEST_F(ListManager, ClosingWritesEverythingBackAsReadNewestFirstCutToTheLimit)
{
    struct Case {
        int limit;
        std::size_t kept;
    };
    for (const Case& c : {Case {50, 50}, Case {0, 0}, Case {-1, 60}, Case {100, 60}}) {
        SCOPED_TRACE(c.limit);
        usePreferences({{"Items To Keep", NSNumber::numberWithInteger(c.limit)}});
        writeLog(PLWriter::kNewNotificationsPath, numbered("Mail", "new", 20));
        writeLog(PLWriter::kOldNotificationsPath, numbered("Mail", "old", 40, 799990000.0));
        open<VTSorterByDate>(); // "Hide Read" is on: the old records are not loaded, yet kept
        close();

        auto expected = numberedBodies("new", 0, 20);
        for (const auto& body : numberedBodies("old", 0, 40)) {
            expected.push_back(body);
        }
        expected.resize(c.kept);
        EXPECT_FALSE(exists(PLWriter::kNewNotificationsPath));
        EXPECT_EQ(exists(PLWriter::kOldNotificationsPath), c.kept > 0);
        EXPECT_EQ(bodies(readLog(PLWriter::kOldNotificationsPath)), expected);
    }
}

TEST_F(ListManager, ARecordLoggedWhileOpenIsListedFirstAsNewAndListedOnce)
{
    auto link = std::make_shared<ForwardingLink>();
    VTWindowLink::setSharedLink(link);
    writeLog(PLWriter::kOldNotificationsPath, numbered("Mail", "old", 1));
    usePreferences({{"Hide Read", NSNumber::numberWithBool(false)}});

    // Logged before the opening's read, handed over after it: the read has it already.
    PLWriter::write(makeRecord("Clock", "before", "com.apple.mobiletimer", 800000010.0));
    auto manager = std::make_shared<VTSorterByDate>();
    link->manager = manager;
    panel.adopt(manager);
    manager->loadNotifications();
    logtest::drain();
    EXPECT_EQ(bodiesOf(manager->rawNotifications()), (std::vector<std::string> {"before", "old0"}));

    PLWriter::write(makeRecord("Phone", "after", "com.apple.mobilephone", 800000020.0));
    logtest::drain();
    EXPECT_EQ(bodiesOf(manager->rawNotifications()), (std::vector<std::string> {"after", "before", "old0"}));
    EXPECT_EQ(manager->unread(), 2u);
    EXPECT_TRUE(manager->notifications()[0]->notifications()[0]->isNewNotification());
    EXPECT_EQ(panel.count, 3u);
    EXPECT_FALSE(panel.noNotifications);

    // A burst handed over before the main loop's next pass is listed with one table update.
    const int reloadsBefore = panel.reloads;
    for (int i = 0; i < 20; ++i) {
        PLWriter::write(makeRecord("Phone", "burst", "com.apple.mobilephone", 800000030.0 + i));
    }
    logtest::drain();
    EXPECT_EQ(panel.reloads, reloadsBefore + 1);
    EXPECT_EQ(panel.count, 23u);
    EXPECT_EQ(manager->unread(), 22u);

    close();
    const auto written = bodies(readLog(PLWriter::kOldNotificationsPath));
    ASSERT_EQ(written.size(), 23u);
    EXPECT_EQ(std::vector<std::string>(written.end() - 3, written.end()), (std::vector<std::string> {"after", "before", "old0"}));
    EXPECT_FALSE(exists(PLWriter::kNewNotificationsPath));
}

// A record handed in is listed on the main loop's next pass; a deletion before then deletes the entry the
// table shows, not the record that has just arrived.
TEST_F(ListManager, ADeletionBeforeAnArrivalIsListedDeletesTheEntryShown)
{
    writeLog(PLWriter::kNewNotificationsPath, {makeRecord("Mail", "shown", "com.example.mail", 9)});
    const auto manager = open<VTSorterByDate>();
    manager->receivedNotification(makeRecord("Mail", "arrived", "com.example.mail", 10));
    manager->commitEditingStyleForRowAtIndexPath(*panel.table, UITableViewCellEditingStyle::Delete, NSIndexPath(1, 0));
    logtest::drain();
    EXPECT_EQ(bodiesOf(manager->rawNotifications()), (std::vector<std::string>{"arrived"}));
    EXPECT_EQ(shapeOf(manager->notifications()), "Mail:1");
}

TEST_F(ListManager, DeletingAHeaderInDateOrderDeletesOnlyThatRun)
{
    writeLog(PLWriter::kNewNotificationsPath,
        {makeRecord("A", "a0", "com.a", 9), makeRecord("A", "a1", "com.a", 8), makeRecord("B", "b0", "com.b", 7),
            makeRecord("A", "a2", "com.a", 6)});
    const auto manager = open<VTSorterByDate>();
    manager->commitEditingStyleForRowAtIndexPath(*panel.table, UITableViewCellEditingStyle::Delete, NSIndexPath(0, 0));
    logtest::drain();
    EXPECT_EQ(bodiesOf(manager->rawNotifications()), (std::vector<std::string> {"b0", "a2"}));
    EXPECT_EQ(shapeOf(manager->notifications()), "B:1 A:1");
    EXPECT_EQ(manager->unread(), 2u);
    EXPECT_EQ(panel.count, 2u);
}

TEST_F(ListManager, DeletingANewEntryKeepsEveryOtherMark)
{
    writeLog(PLWriter::kNewNotificationsPath, numbered("A", "new", 2));
    writeLog(PLWriter::kOldNotificationsPath, numbered("A", "old", 2, 799990000.0));
    usePreferences({{"Hide Read", NSNumber::numberWithBool(false)}});
    const auto manager = open<VTSorterByApp>();
    manager->commitEditingStyleForRowAtIndexPath(*panel.table, UITableViewCellEditingStyle::Delete, NSIndexPath(1, 0));
    logtest::drain();
    EXPECT_EQ(manager->unread(), 1u);
    std::vector<bool> marks;
    for (const auto& entry : manager->notifications()[0]->notifications()) {
        marks.push_back(entry->isNewNotification());
    }
    EXPECT_EQ(marks, (std::vector<bool> {true, false, false}));
}

TEST_F(ListManager, SelectingAnEntryLaunchesItsTargetThenAutoDeletes)
{
    writeLog(PLWriter::kNewNotificationsPath,
        {makeRecord("Mail", "m0", "com.example.mail", 9), makeRecord("Mail", "m1", "com.example.mail", 8),
            makeRecord("Clock", "c0", "com.apple.mobiletimer", 7)});
    struct Case {
        int autoDelete;
        NSDictionary::Entries redirections;
        std::string launched;
        std::string shape;
    };
    const std::vector<Case> cases {
        {0, {}, "com.example.mail", "Mail:2 Clock:1"},
        {1, {{"com.example.mail", logtest::string("by.identifier")}}, "by.identifier", "Mail:1 Clock:1"},
        {2, {{"com.example.mail", logtest::string("by.identifier")}, {"Mail", logtest::string("by.name")}}, "by.name",
            "Clock:1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.autoDelete);
        usePreferences({{"Auto Delete Type", NSNumber::numberWithInteger(c.autoDelete)},
            {"Redirections", NSDictionary::dictionaryWithEntries(c.redirections)}});
        const auto manager = open<VTSorterByDate>();
        panel.launcher.launched.clear();
        manager->didSelectRowAtIndexPath(*panel.table, NSIndexPath(1, 0));
        logtest::drain();
        EXPECT_EQ(panel.launcher.launched, std::vector<std::string> {c.launched});
        EXPECT_EQ(shapeOf(manager->notifications()), c.shape);
        panel.release();
    }
}

TEST_F(ListManager, ACollapsedGroupStaysCollapsedUntilANewEntryJoinsIt)
{
    auto link = std::make_shared<ForwardingLink>();
    VTWindowLink::setSharedLink(link);
    writeLog(PLWriter::kNewNotificationsPath,
        {makeRecord("Mail", "m0", "com.example.mail", 9), makeRecord("Clock", "c0", "com.apple.mobiletimer", 8)});
    usePreferences({{"Hide Read", NSNumber::numberWithBool(false)}});
    auto manager = open<VTSorterByApp>();
    manager->didSelectRowAtIndexPath(*panel.table, NSIndexPath(0, 0)); // the Mail header
    EXPECT_EQ(rows(0), 1);
    close();

    manager = open<VTSorterByApp>();
    EXPECT_EQ(shapeOf(manager->notifications()), "Mail-1 Clock:1");
    link->manager = manager;
    PLWriter::write(makeRecord("Mail", "m1", "com.example.mail", 10));
    logtest::drain();
    EXPECT_EQ(shapeOf(manager->notifications()), "Mail:2 Clock:1");
}

TEST_F(ListManager, ClearThenCloseLeavesNoFile)
{
    writeLog(PLWriter::kNewNotificationsPath, numbered("Mail", "new", 2));
    writeLog(PLWriter::kOldNotificationsPath, numbered("Mail", "old", 2));
    const auto manager = open<VTSorterByDate>();
    manager->collapse();
    manager->clear();
    EXPECT_EQ(manager->count(), 0u);
    close();
    EXPECT_FALSE(exists(PLWriter::kNewNotificationsPath));
    EXPECT_FALSE(exists(PLWriter::kOldNotificationsPath));
    EXPECT_FALSE(exists(VTSorter::kCollapsedPath));
}

TEST_F(ListManager, OddRecordsAreShownUndatedOrSkippedAndAnOddCollapsedFileIsLeftAlone)
{
    std::vector<id> elements {
        logtest::string("not a record"),
        NSDictionary::dictionaryWithEntries({{"Application", logtest::string("Mail")},
            {"Body", logtest::string("dated by text")}, {"Date", logtest::string("yesterday")}}),
        NSDictionary::dictionaryWithEntries(
            {{"Application", logtest::string("Mail")}, {"Body", NSNumber::numberWithInteger(7)}}),
    };
    ASSERT_FALSE(NSFileManager::defaultManager().writePropertyList(
        NSArray::arrayWithObjects(elements), PLWriter::kNewNotificationsPath));
    ASSERT_FALSE(NSFileManager::defaultManager().writePropertyList(logtest::string("odd"), VTSorter::kCollapsedPath));

    const auto manager = open<VTSorterByDate>();
    EXPECT_EQ(shapeOf(manager->notifications()), "Mail:2");
    EXPECT_EQ(manager->collapsedList(), nullptr);
    const auto cell =
        std::dynamic_pointer_cast<VTNotificationCell>(manager->cellForRowAtIndexPath(*panel.table, NSIndexPath(1, 0)));
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->notification()->text(), "dated by text");
    EXPECT_EQ(cell->date()->text(), "");
    manager->collapse();
    close();
    EXPECT_EQ(logtest::fileBytes(root.hostPath(VTSorter::kCollapsedPath)).find("odd") != std::string::npos, true);
    EXPECT_EQ(bodies(readLog(PLWriter::kOldNotificationsPath)), (std::vector<std::string> {"dated by text", "?"}));
}

TEST_F(ListManager, RowHeightsFollowTheSettingAndTheMeasuredText)
{
    const std::string text = "A longer text that wraps onto a second line at the width of the panel's entries";
    writeLog(PLWriter::kNewNotificationsPath, {makeRecord("Mail", text, "com.example.mail")});
    for (const bool customIcons : {true, false}) {
        usePreferences({{"Custom Icons", NSNumber::numberWithBool(customIcons)}});
        const auto manager = open<VTSorterByDate>();
        EXPECT_EQ(manager->heightForRowAtIndexPath(*panel.table, NSIndexPath(0, 0)), customIcons ? 44 : 41);
        const double measured = sizeWithFontConstrainedToSizeLineBreakMode(
            text, UIFont::systemFontOfSize(14), CGSizeMake(282, 9999), UILineBreakModeWordWrap)
                                    .height;
        EXPECT_GT(measured, 20); // two lines
        EXPECT_EQ(manager->heightForRowAtIndexPath(*panel.table, NSIndexPath(1, 0)), measured + 26);
        // The estimates the table places unmeasured rows by: a header's is its height, an entry's is off by
        // less than a line.
        EXPECT_EQ(manager->estimatedHeightForRowAtIndexPath(*panel.table, NSIndexPath(0, 0)), customIcons ? 44 : 41);
        EXPECT_NEAR(manager->estimatedHeightForRowAtIndexPath(*panel.table, NSIndexPath(1, 0)), measured + 26,
                    UIFont::systemFontOfSize(14)->lineHeight());
        panel.release();
    }
}

TEST_F(ListManager, ClosingBeforeTheLoadIsPublishedChangesNoFileAndDropsTheLoad)
{
    writeLog(PLWriter::kNewNotificationsPath, numbered("Mail", "new", 2));
    writeLog(PLWriter::kOldNotificationsPath, numbered("Mail", "old", 2));
    auto manager = std::make_shared<VTSorterByDate>();
    panel.adopt(manager);
    manager->loadNotifications(); // read, but its result waits for the main loop
    manager->purge();
    manager->flush();
    logtest::drain();
    EXPECT_EQ(manager->count(), 0u);
    EXPECT_EQ(panel.finishedSortings, 0);
    EXPECT_EQ(bodies(readLog(PLWriter::kNewNotificationsPath)), numberedBodies("new", 0, 2));
    EXPECT_EQ(bodies(readLog(PLWriter::kOldNotificationsPath)), numberedBodies("old", 0, 2));

    manager->clear(); // the user cleared what was logged, shown or not
    EXPECT_FALSE(exists(PLWriter::kNewNotificationsPath));
    EXPECT_FALSE(exists(PLWriter::kOldNotificationsPath));
}

// An entry's estimate counts characters and line breaks, not bytes: a text of two- to four-byte characters
// is estimated as the same number of plain ones.
TEST_F(ListManager, AnEntrysEstimateCountsCharactersAndLineBreaks)
{
    const auto repeat = [](const std::string& piece, int times) {
        std::string text;
        for (int i = 0; i < times; ++i) {
            text += piece;
        }
        return text;
    };
    const std::vector<std::pair<std::string, std::string>> alike{
        {repeat("\xC3\xA9", 61), repeat("e", 61)},
        {repeat("\xE6\x97\xA5", 45) + "\n" + repeat("\xF0\x9F\x98\x80", 9), repeat("x", 45) + "\n" + repeat("y", 9)},
        {repeat("a\n", 13) + "\xC3\xA9", repeat("a\n", 13) + "e"},
        {repeat("word ", 70), repeat("text ", 70)},
    };
    std::vector<std::shared_ptr<NSDictionary>> records;
    for (const auto& [text, plain] : alike) {
        records.push_back(makeRecord("Mail", text, "com.example.mail"));
        records.push_back(makeRecord("Mail", plain, "com.example.mail"));
    }
    writeLog(PLWriter::kNewNotificationsPath, records);
    const auto manager = open<VTSorterByDate>();
    for (int row = 1; row <= static_cast<int>(records.size()); row += 2) {
        SCOPED_TRACE(row);
        EXPECT_EQ(manager->estimatedHeightForRowAtIndexPath(*panel.table, NSIndexPath(row, 0)),
                  manager->estimatedHeightForRowAtIndexPath(*panel.table, NSIndexPath(row + 1, 0)));
    }
}

// A long log in date order shows its newest groups, whole, with the whole log's count, before the rest is
// read; what the user deletes or collapses there holds in the whole log.
TEST_F(ListManager, ALongLogShowsItsFirstScreenFirstAndKeepsWhatWasChangedThere)
{
    usePreferences({{"Hide Read", NSNumber::numberWithBool(false)}});
    writeLog(PLWriter::kNewNotificationsPath, runsOfSeven("new", 200, 800000000.0));
    writeLog(PLWriter::kOldNotificationsPath, runsOfSeven("old", 100, 700000000.0));
    struct Shown {
        std::size_t records = 0;
        unsigned count = 0;
        std::string shape;
    };
    std::vector<Shown> shown;
    panel.onReload = [&] {
        auto& manager = *panel.listManager;
        if (!shown.empty()) {
            return;
        }
        shown.push_back({manager.rawNotifications().size(), panel.count, shapeOf(manager.notifications())});
        // On the first screen: delete the newest entry and collapse the second group.
        manager.commitEditingStyleForRowAtIndexPath(*panel.table, UITableViewCellEditingStyle::Delete, NSIndexPath(1, 0));
        manager.didSelectRowAtIndexPath(*panel.table, NSIndexPath(0, 1));
    };
    const auto byDate = open<VTSorterByDate>();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_LT(shown[0].records, 100u);
    EXPECT_EQ(shown[0].count, 300u);
    EXPECT_EQ(shown[0].shape.substr(0, 17), "App0:7 App1:7 App");
    EXPECT_EQ(shapeOf(byDate->notifications()).substr(0, 13), "App0:6 App1-7");
    EXPECT_EQ(byDate->count(), 299u);
    EXPECT_EQ(byDate->unread(), 199u);
    EXPECT_EQ(bodiesOf(byDate->rawNotifications())[0], "new1");
    EXPECT_EQ(panel.count, 299u);
    close();
}

// In application order a long log's first screen shows the groups of its newest records with their newest
// entries; each header counts, and each group folds, as in the whole log, and a group deleted or collapsed
// there takes its entries further down the log with it.
TEST_F(ListManager, ALongLogInApplicationOrderShowsGroupsAsTheWholeLogHasThem)
{
    usePreferences({{"Hide Read", NSNumber::numberWithBool(false)}, {"Items To Keep", NSNumber::numberWithInteger(-1)}});
    const auto newer = runsOfSeven("new", 200, 800000000.0);
    const auto older = runsOfSeven("old", 100, 700000000.0);
    writeLog(PLWriter::kNewNotificationsPath, newer);
    writeLog(PLWriter::kOldNotificationsPath, older);
    std::map<std::string, int> perApplication;
    for (const auto* records : {&newer, &older}) {
        for (const auto& record : *records) {
            ++perApplication[record->stringForKey("Application").value_or("")];
        }
    }
    // App0's newest entries carry the collapsed mark, its older ones do not: the group is expanded.
    NSDictionary::Entries marks;
    for (int i = 0; i < 7; ++i) {
        marks.emplace(as<NSDate>(newer[i]->objectForKey("Date"))->description(), NSNumber::numberWithBool(true));
    }
    ASSERT_FALSE(NSFileManager::defaultManager().writePropertyList(NSDictionary::dictionaryWithEntries(marks),
                                                                   VTSorter::kCollapsedPath));
    struct Shown {
        std::size_t records = 0;
        unsigned count = 0;
        std::string shape;
        std::vector<int> headerCounts;
    };
    std::vector<Shown> shown;
    panel.onReload = [&] {
        auto& manager = *panel.listManager;
        if (!shown.empty()) {
            return;
        }
        Shown first{manager.rawNotifications().size(), panel.count, shapeOf(manager.notifications()), {}};
        for (int section = 0; section < 3; ++section) {
            const auto header = std::dynamic_pointer_cast<VTHeaderCell>(
                manager.cellForRowAtIndexPath(*panel.table, NSIndexPath(0, section)));
            first.headerCounts.push_back(header ? header->count() : -1);
        }
        shown.push_back(first);
        // On the first screen: delete the newest entry, collapse the second group, delete the third.
        manager.commitEditingStyleForRowAtIndexPath(*panel.table, UITableViewCellEditingStyle::Delete, NSIndexPath(1, 0));
        manager.didSelectRowAtIndexPath(*panel.table, NSIndexPath(0, 1));
        manager.commitEditingStyleForRowAtIndexPath(*panel.table, UITableViewCellEditingStyle::Delete, NSIndexPath(0, 2));
        EXPECT_EQ(manager.count(), 300u - 1 - perApplication["App2"]);
    };
    const auto byApp = open<VTSorterByApp>();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_LT(shown[0].records, 100u);
    EXPECT_EQ(shown[0].count, 300u);
    EXPECT_EQ(shown[0].shape.substr(0, 21), "App0:7 App1:7 App2:7 ");
    EXPECT_EQ(shown[0].headerCounts, (std::vector<int>{perApplication["App0"], perApplication["App1"],
                                                       perApplication["App2"]}));

    const std::string whole = shapeOf(byApp->notifications());
    EXPECT_TRUE(whole.starts_with("App0:" + std::to_string(perApplication["App0"] - 1) + " App1-" +
                                  std::to_string(perApplication["App1"]) + " App3:"))
        << whole;
    EXPECT_EQ(whole.find("App2"), std::string::npos);
    EXPECT_EQ(byApp->count(), 300u - 1 - perApplication["App2"]);
    EXPECT_EQ(panel.count, byApp->count());
    close();
    // Every entry of App1 was marked, so it opens collapsed.
    const auto reopened = open<VTSorterByApp>();
    EXPECT_TRUE(shapeOf(reopened->notifications()).starts_with(whole.substr(0, whole.find(" App3"))));
}

// A first screen is not the whole log, so a close while it shows writes nothing back.
TEST_F(ListManager, ClosingOnTheFirstScreenChangesNoFile)
{
    writeLog(PLWriter::kNewNotificationsPath, runsOfSeven("new", 300, 800000000.0));
    const std::string before = logtest::fileBytes(DeviceRoot::resolve(PLWriter::kNewNotificationsPath));
    panel.onReload = [&] {
        if (panel.listManager && panel.listManager->count() == 300u && panel.listManager->rawNotifications().size() < 300) {
            panel.listManager->purge();
            panel.listManager->flush();
        }
    };
    const auto manager = open<VTSorterByDate>();
    EXPECT_EQ(manager->rawNotifications().size(), 0u);
    EXPECT_EQ(logtest::fileBytes(DeviceRoot::resolve(PLWriter::kNewNotificationsPath)), before);
    EXPECT_FALSE(exists(PLWriter::kOldNotificationsPath));
}

TEST_F(ListManager, AfterTheCloseTheStoresNextAppendAndDeletionReadNoFile)
{
    writeLog(PLWriter::kNewNotificationsPath, {makeRecord("Chat", "shown chat", "com.example.chat"),
                                               makeRecord("Mail", "shown mail", "com.example.mail")});
    open<VTSorterByDate>();
    PLWriter::write(makeRecord("Mail", "late", "com.example.mail")); // not handed to the panel: it stays new
    close();
    ASSERT_EQ(bodies(readLog(PLWriter::kNewNotificationsPath)), (std::vector<std::string>{"late"}));

    const struct {
        const char* path;
        std::function<void()> change;
        std::vector<std::string> left;
    } cases[] = {
        {PLWriter::kNewNotificationsPath, [] { PLWriter::write(makeRecord("Mail", "next", "com.example.mail")); },
         {"next", "late"}},
        {PLWriter::kOldNotificationsPath, [] { PLWriter::deleteNotificationsForApplication("com.example.chat"); },
         {"shown mail"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const auto calls = std::make_shared<WatchedCalls>(root.hostPath(c.path));
        {
            const InstalledCalls installed(calls);
            c.change();
            logtest::drain();
        }
        EXPECT_EQ(calls->opens.load(), 0) << "the store read what the panel wrote through it";
        EXPECT_EQ(bodies(readLog(c.path)), c.left);
        EXPECT_EQ(logtest::fileBytes(root.hostPath(c.path)), fullEncodeOf(c.path));
    }
}

TEST_F(ListManager, ACloseThatCannotWriteTheOldFileLeavesBothFilesAsTheyWere)
{
    writeLog(PLWriter::kNewNotificationsPath, numbered("Mail", "new", 2));
    writeLog(PLWriter::kOldNotificationsPath, numbered("Mail", "old", 2, 799990000.0));
    const auto newBefore = logtest::fileBytes(root.hostPath(PLWriter::kNewNotificationsPath));
    const auto oldBefore = logtest::fileBytes(root.hostPath(PLWriter::kOldNotificationsPath));
    open<VTSorterByDate>();
    const auto calls = std::make_shared<WatchedCalls>(std::filesystem::path());
    calls->failWrites = true;
    {
        const InstalledCalls installed(calls);
        close();
    }
    EXPECT_EQ(logtest::fileBytes(root.hostPath(PLWriter::kNewNotificationsPath)), newBefore)
        << "the new records are nowhere else";
    EXPECT_EQ(logtest::fileBytes(root.hostPath(PLWriter::kOldNotificationsPath)), oldBefore);
}
