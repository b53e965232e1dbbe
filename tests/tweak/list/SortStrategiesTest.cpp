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
