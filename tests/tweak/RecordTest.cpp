#include "LaunchAction.h"
#include "LogTestSupport.h"
#include "NSDictionary-Vantle.h"
#include "NSNumber.h"
#include "SpringBoard-Vantle.h"

#include <gtest/gtest.h>

using namespace logtest;
namespace record = NSDictionaryVantle;

TEST(NotificationRecord, AccessorsAnswerStoredValuesAsTheyAre)
{
    const auto action = LaunchAction::actionWithType(LaunchAction::Message, nullptr);
    const auto date = NSDate::dateWithTimeIntervalSinceReferenceDate(12.5);
    const auto full = NSDictionary::dictionaryWithEntries({
        {"Application", string("Messages")},
        {"Body", NSNumber::numberWithInteger(7)},
        {"Date", date},
        {"Bundle Identifier", string("com.apple.MobileSMS")},
        {"Action", action},
    });
    EXPECT_EQ(as<NSString>(record::application(*full))->string(), "Messages");
    EXPECT_EQ(as<NSNumber>(record::body(*full))->integerValue(), 7) << "a value of another type is not hidden";
    EXPECT_EQ(record::date(*full), date);
    EXPECT_EQ(as<NSString>(record::bundleIdentifier(*full))->string(), "com.apple.MobileSMS");
    EXPECT_EQ(record::action(*full), action);

    const auto empty = NSDictionary::dictionary();
    EXPECT_EQ(record::application(*empty), nullptr);
    EXPECT_EQ(record::bundleIdentifier(*empty), nullptr);
    EXPECT_EQ(record::action(*empty), nullptr);
}

TEST(NotificationRecord, PlainFormKeepsExactlyThePersistedKeys)
{
    const auto date = NSDate::dateWithTimeIntervalSinceReferenceDate(99.75);
    const auto full = NSDictionary::dictionaryWithEntries({
        {"Application", string("Chat")},
        {"Body", string("hi")},
        {"Date", date},
        {"Bundle Identifier", string("com.example.chat")},
        {"Action", LaunchAction::actionWithType(LaunchAction::Application, string("com.example.chat"))},
        {"Sound", string("ding")},
    });
    const auto plain = record::simpleNotification(*full);
    ASSERT_EQ(plain->count(), 4u);
    EXPECT_EQ(plain->objectForKey("Date"), date) << "the in-memory plain record keeps the full time";
    EXPECT_EQ(plain->objectForKey("Action"), nullptr);
    EXPECT_EQ(plain->objectForKey("Sound"), nullptr);
    EXPECT_NE(plain, full);

    const auto withoutBundle = record::simpleNotification(*makeRecord("Battery", "20% left"));
    EXPECT_EQ(withoutBundle->count(), 3u);
    EXPECT_EQ(withoutBundle->objectForKey("Bundle Identifier"), nullptr);

    const auto partial = record::simpleNotification(*NSDictionary::dictionaryWithEntries({{"Body", string("b")}}));
    EXPECT_EQ(partial->count(), 1u) << "absent keys stay absent";
}

TEST(NotificationRecord, ConsistencyTestsPresenceOnly)
{
    using UIApplicationVantle::notificationIsConsistent;
    EXPECT_FALSE(notificationIsConsistent(nullptr));
    EXPECT_FALSE(notificationIsConsistent(string("not a dictionary")));
    EXPECT_FALSE(notificationIsConsistent(NSArray::arrayWithObjects({makeRecord("A", "B")})));
    EXPECT_TRUE(notificationIsConsistent(makeRecord("A", "B")));

    for (const char* missing : {"Application", "Body", "Date"}) {
        auto entries = makeRecord("A", "B", "com.example.a")->entries();
        entries.erase(missing);
        EXPECT_FALSE(notificationIsConsistent(NSDictionary::dictionaryWithEntries(entries))) << missing;
        entries.emplace(missing, nullptr);
        EXPECT_FALSE(notificationIsConsistent(NSDictionary::dictionaryWithEntries(entries)))
            << missing << " present but null";
    }
    const auto oddTypes = NSDictionary::dictionaryWithEntries({
        {"Application", NSNumber::numberWithInteger(1)},
        {"Body", NSArray::arrayWithObjects({})},
        {"Date", string("yesterday")},
    });
    EXPECT_TRUE(notificationIsConsistent(oddTypes)) << "value types are not checked";
}

class Registration : public LogFixture {};

TEST_F(Registration, LogsConsistentRecordsOnAJobThreadAndRefusesOthers)
{
    EXPECT_FALSE(UIApplicationVantle::registerNotification(nullptr));
    EXPECT_FALSE(UIApplicationVantle::registerNotification(
        NSDictionary::dictionaryWithEntries({{"Application", string("A")}, {"Body", string("no date")}})));
    drain();
    EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(PLWriter::kNewNotificationsPath));

    EXPECT_TRUE(UIApplicationVantle::registerNotification(makeRecord("Chat", "logged")));
    drain();
    EXPECT_EQ(bodies(readLog(PLWriter::kNewNotificationsPath)), (std::vector<std::string>{"logged"}));
}

TEST_F(Registration, OpenStateFollowsTheWindow)
{
    EXPECT_FALSE(UIApplicationVantle::isVantleOpen()) << "no window controller: the panel is closed";
    const auto window = std::make_shared<FakeWindow>();
    VTWindowLink::setSharedLink(window);
    EXPECT_FALSE(UIApplicationVantle::isVantleOpen());
    window->shown = true;
    EXPECT_TRUE(UIApplicationVantle::isVantleOpen());
}
