// The two sort strategies on records read from the log: groups, entry order, positions, new marks and the
// collapsed rule.
#include "ListTestSupport.h"
#include "NSNumber.h"
#include "VTSorterByApp.h"
#include "VTSorterByDate.h"

#include <gtest/gtest.h>

using namespace listtest;
using logtest::makeRecord;

namespace {

// Records of the applications named, newest first, each a second older than the one before.
std::vector<std::shared_ptr<NSDictionary>> recordsOf(const std::vector<std::string>& applications,
                                                     const std::string& bundlePrefix = "com.example.")
{
    std::vector<std::shared_ptr<NSDictionary>> records;
    for (std::size_t i = 0; i < applications.size(); ++i) {
        records.push_back(makeRecord(applications[i], applications[i] + std::to_string(i),
                                     bundlePrefix + applications[i] + std::to_string(i), 800000000.0 - double(i)));
    }
    return records;
}

std::vector<std::int32_t> indexesOf(const VTNotificationGroup& group)
{
    std::vector<std::int32_t> indexes;
    for (const auto& entry : group.notifications()) {
        indexes.push_back(entry->index());
    }
    return indexes;
}

} // namespace

class SortStrategies : public ListFixture {};

TEST_F(SortStrategies, DateOrderMakesAGroupOfEachRunOfOneApplication)
{
    logtest::writeLog(PLWriter::kNewNotificationsPath, recordsOf({"A", "A", "B", "A"}));
    const auto manager = open<VTSorterByDate>();

    const auto& groups = manager->notifications();
    EXPECT_EQ(shapeOf(groups), "A:2 B:1 A:1");
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(indexesOf(*groups[0]), (std::vector<std::int32_t>{0, 1}));
    EXPECT_EQ(indexesOf(*groups[2]), (std::vector<std::int32_t>{3}));
    EXPECT_EQ(groups[0]->bundleID(), "com.example.A0"); // the newest record's
}

TEST_F(SortStrategies, ApplicationOrderMakesOneGroupPerNameOrderedByNewestRecord)
{
    logtest::writeLog(PLWriter::kNewNotificationsPath, recordsOf({"A", "B", "A", "C"}));
    const auto manager = open<VTSorterByApp>();

    const auto& groups = manager->notifications();
    EXPECT_EQ(shapeOf(groups), "A:2 B:1 C:1");
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(indexesOf(*groups[0]), (std::vector<std::int32_t>{0, 2}));
    EXPECT_EQ(indexesOf(*groups[1]), (std::vector<std::int32_t>{1}));
    EXPECT_EQ(indexesOf(*groups[2]), (std::vector<std::int32_t>{3}));
    EXPECT_EQ(groups[0]->bundleID(), "com.example.A2"); // the oldest record's, which made the group
}

TEST_F(SortStrategies, EntriesBelowUnreadAreNewAndRecordsWithoutANameStandAlone)
{
    auto records = recordsOf({"A", "A", "A"});
    records.push_back(NSDictionary::dictionaryWithEntries({{"Body", logtest::string("no name")}}));
    records.push_back(NSDictionary::dictionaryWithEntries({{"Body", logtest::string("no name either")}}));
    logtest::writePreferences({{"Hide Read", NSNumber::numberWithBool(false)}});
    PLWriter::reloadSettings();

    for (const bool byDate : {true, false}) {
        logtest::writeLog(PLWriter::kNewNotificationsPath, {records[0], records[1]});
        logtest::writeLog(PLWriter::kOldNotificationsPath, {records[2], records[3], records[4]});
        const auto manager = byDate ? open<VTSorterByDate>() : open<VTSorterByApp>();
        const auto& groups = manager->notifications();
        EXPECT_EQ(shapeOf(groups), "A:3 ?:1 ?:1") << byDate;
        ASSERT_EQ(groups.size(), 3u);
        EXPECT_EQ(manager->unread(), 2u);
        const auto& entries = groups[0]->notifications();
        EXPECT_TRUE(entries[0]->isNewNotification());
        EXPECT_TRUE(entries[1]->isNewNotification());
        EXPECT_FALSE(entries[2]->isNewNotification());
        close();
    }
}

TEST_F(SortStrategies, SameNameWithOtherBundleIdentifiersIsOneGroupInApplicationOrder)
{
    logtest::writeLog(PLWriter::kNewNotificationsPath,
                      {makeRecord("Mail", "one", "com.example.mail"), makeRecord("Mail", "two", "org.other.mail")});
    const auto manager = open<VTSorterByApp>();
    EXPECT_EQ(shapeOf(manager->notifications()), "Mail:2");
}

// A group comes out collapsed only when every entry carries the collapsed mark, in both orders.
TEST_F(SortStrategies, AGroupIsCollapsedOnlyWhenAllItsEntriesAreMarked)
{
    const auto records = recordsOf({"A", "B", "A", "A"});
    auto keyOf = [&](std::size_t i) { return as<NSDate>(records[i]->objectForKey("Date"))->description(); };
    logtest::writeLog(PLWriter::kNewNotificationsPath, records);
    ASSERT_FALSE(NSFileManager::defaultManager().writePropertyList(
        NSDictionary::dictionaryWithEntries({{keyOf(0), NSNumber::numberWithBool(true)},
                                             {keyOf(2), NSNumber::numberWithBool(true)},
                                             {keyOf(3), NSNumber::numberWithBool(true)},
                                             {keyOf(1), NSNumber::numberWithBool(false)}}),
        VTSorter::kCollapsedPath));

    const auto byDate = open<VTSorterByDate>();
    EXPECT_EQ(shapeOf(byDate->notifications()), "A-1 B:1 A-2");
    close();
    logtest::writeLog(PLWriter::kNewNotificationsPath, {makeRecord("A", "later", "com.example.A", 800000100.0)});
    logtest::writeLog(PLWriter::kOldNotificationsPath, records);
    logtest::writePreferences({{"Hide Read", NSNumber::numberWithBool(false)}});
    PLWriter::reloadSettings();
    // The newer record of A lacks the mark, so A's group comes out expanded.
    const auto byApp = open<VTSorterByApp>();
    EXPECT_EQ(shapeOf(byApp->notifications()), "A:4 B:1");
}

namespace {

// Every group's name, bundle identifier and collapsed flag, and each entry's position, text and new mark.
std::string describe(const VTSorter::Groups& groups)
{
    std::string text;
    for (const auto& group : groups) {
        text += group->appName().value_or("?") + "/" + group->bundleID().value_or("?") +
                (group->isCollapsed() ? "-" : "+") + "[";
        for (const auto& entry : group->notifications()) {
            text += std::to_string(entry->index()) + entry->content() + (entry->isNewNotification() ? "* " : " ");
        }
        text += "] ";
    }
    return text;
}

} // namespace

// Records handed in while the panel shows join the groups held; the groups come out as a sort of the whole
// list would make them, in both orders, across passes and after a group was collapsed.
TEST_F(SortStrategies, RecordsThatArriveJoinTheGroupsAsAWholeSortWouldPlaceThem)
{
    using Batches = std::vector<std::vector<std::string>>; // "App" or "App@bundle", oldest first; "" no name
    struct Case {
        const char* name;
        std::vector<std::string> log;
        Batches arrivals;
        std::vector<std::size_t> collapsedInLog; // positions of the log whose date key is marked collapsed
        bool collapseFirstGroupBeforeArrivals = false;
    };
    const std::vector<Case> cases{
        {"joins the first group", {"A", "A", "B"}, {{"A"}, {"C", "C"}}, {}},
        {"an application seen further down", {"A", "B", "A", "C"}, {{"C", "B"}, {"D"}, {"A", "B"}}, {}},
        {"records without a name", {"A", "", "B"}, {{"", "A"}, {"", ""}}, {}},
        {"another bundle under the same name", {"A@x", "A@x", "B"}, {{"A@y"}, {"A@x", "B@z"}}, {}},
        {"a collapsed group that an arrival expands", {"B", "B", "A"}, {{"A"}, {"B"}}, {0, 1, 2}},
        {"collapsed groups that stay collapsed", {"B", "B", "A"}, {{"C"}}, {0, 1, 2}},
        {"after the user collapsed a group", {"A", "B", "A"}, {{"B"}, {"A"}}, {}, true},
    };
    const auto recordOf = [](const std::string& application, const std::string& body, double date) {
        const auto at = application.find('@');
        const std::string name = application.substr(0, at);
        const std::string bundle = at == std::string::npos ? "com.example." + name : application.substr(at + 1);
        if (name.empty()) {
            return NSDictionary::dictionaryWithEntries(
                {{"Body", logtest::string(body)}, {"Date", NSDate::dateWithTimeIntervalSinceReferenceDate(date)}});
        }
        return makeRecord(name, body, bundle, date);
    };
    for (const auto& c : cases) {
        for (const bool byDate : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (byDate ? " by date" : " by application"));
            std::vector<std::shared_ptr<NSDictionary>> log;
            for (std::size_t i = 0; i < c.log.size(); ++i) {
                log.push_back(recordOf(c.log[i], "log" + std::to_string(i), 800000000.0 - double(i)));
            }
            logtest::writeLog(PLWriter::kNewNotificationsPath, log);
            NSDictionary::Entries marks;
            for (const std::size_t i : c.collapsedInLog) {
                marks.emplace(as<NSDate>(log[i]->objectForKey("Date"))->description(), NSNumber::numberWithBool(true));
            }
            ASSERT_FALSE(NSFileManager::defaultManager().writePropertyList(
                NSDictionary::dictionaryWithEntries(marks), VTSorter::kCollapsedPath));

            const auto manager = byDate ? open<VTSorterByDate>() : open<VTSorterByApp>();
            if (c.collapseFirstGroupBeforeArrivals) {
                manager->didSelectRowAtIndexPath(*panel.table, NSIndexPath(0, 0));
            }
            double date = 800000001.0;
            for (const auto& batch : c.arrivals) {
                for (const auto& application : batch) {
                    manager->receivedNotification(recordOf(application, "new" + std::to_string(int(date)), date));
                    date += 1;
                }
                logtest::drain();
            }
            const std::string joined = describe(manager->notifications());
            const auto listed = manager->rawNotifications();
            const auto collapsed = manager->collapsedList();
            NSDictionary::Entries keys;
            for (const auto& key : collapsed ? *collapsed : std::set<std::string>()) {
                keys.emplace(key, NSNumber::numberWithBool(true));
            }
            panel.release();

            logtest::writeLog(PLWriter::kNewNotificationsPath, listed);
            ASSERT_FALSE(NSFileManager::defaultManager().writePropertyList(
                NSDictionary::dictionaryWithEntries(keys), VTSorter::kCollapsedPath));
            const auto sorted = byDate ? open<VTSorterByDate>() : open<VTSorterByApp>();
            EXPECT_EQ(joined, describe(sorted->notifications()));
            panel.release();
        }
    }
}
