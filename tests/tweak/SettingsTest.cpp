#include "BinaryPropertyListBuilder.h"
#include "CFNotificationCenter.h"
#include "LogTestSupport.h"
#include "NSNumber.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <fstream>

using namespace logtest;

namespace {

id yes() { return NSNumber::numberWithBool(true); }
id no() { return NSNumber::numberWithBool(false); }
id integer(std::int64_t value) { return NSNumber::numberWithInteger(value); }

id ignoredEntry(const char* name, const char* bundleId)
{
    return NSDictionary::dictionaryWithEntries(
        {{"Application", string(name)}, {"Bundle Id", string(bundleId)}, {"Icon Path", string("/x.png")}});
}

std::set<std::string> ignored()
{
    const auto set = PLWriter::ignoredApplications();
    return set ? *set : std::set<std::string>{};
}

void expectDefaults()
{
    EXPECT_FALSE(PLWriter::autoDeleteOnBadge());
    EXPECT_EQ(PLWriter::autoDelete(), 0);
    EXPECT_FALSE(PLWriter::blockHomescreenAlerts());
    EXPECT_FALSE(PLWriter::blockLockscreenAlerts());
    EXPECT_TRUE(PLWriter::customIcons());
    EXPECT_TRUE(PLWriter::hideRead());
    EXPECT_EQ(PLWriter::itemsToKeep(), 50);
    EXPECT_TRUE(PLWriter::livePulldown());
    EXPECT_TRUE(PLWriter::statusbarIcons());
    EXPECT_TRUE(PLWriter::musicOnLockscreen());
    EXPECT_TRUE(PLWriter::musicOnHomescreen());
}

const NSDictionary::Entries kEveryKey{
    {"Auto Delete On Badge", yes()},
    {"Auto Delete Type", integer(2)},
    {"Block Homescreen Alerts", yes()},
    {"Block Lockscreen Alerts", yes()},
    {"Custom Icons", no()},
    {"Hide Read", no()},
    {"Items To Keep", integer(10)},
    {"Live Pulldown", no()},
    {"Statusbar Icons", no()},
    {"Music Lockscreen", yes()},
    {"Music Homescreen", no()},
    {"Group By", string("App")},
    {"Redirections", NSDictionary::dictionaryWithEntries({{"Phone", string("com.example.dialer")}})},
    {"Ignored Applications", NSArray::arrayWithObjects({ignoredEntry("Chat", "com.example.chat")})},
};

} // namespace

class Settings : public LogFixture {};

TEST_F(Settings, DefaultsHoldUntilAFileIsLoaded)
{
    expectDefaults();
    EXPECT_EQ(PLWriter::groupBy(), nullptr) << "no grouping value: the panel groups by application";
    EXPECT_EQ(PLWriter::redirections(), nullptr);
    EXPECT_EQ(PLWriter::ignoredApplications(), nullptr);

    PLWriter::reloadSettings();
    expectDefaults();
    EXPECT_EQ(PLWriter::groupBy(), nullptr) << "a missing file changes nothing";
}

TEST_F(Settings, EveryKeyIsRead)
{
    writePreferences(kEveryKey);
    PLWriter::reloadSettings();
    EXPECT_TRUE(PLWriter::autoDeleteOnBadge());
    EXPECT_EQ(PLWriter::autoDelete(), 2);
    EXPECT_TRUE(PLWriter::blockHomescreenAlerts());
    EXPECT_TRUE(PLWriter::blockLockscreenAlerts());
    EXPECT_FALSE(PLWriter::customIcons());
    EXPECT_FALSE(PLWriter::hideRead());
    EXPECT_EQ(PLWriter::itemsToKeep(), 10);
    EXPECT_FALSE(PLWriter::livePulldown());
    EXPECT_FALSE(PLWriter::statusbarIcons());
    EXPECT_TRUE(PLWriter::musicOnLockscreen());
    EXPECT_FALSE(PLWriter::musicOnHomescreen());
    ASSERT_NE(PLWriter::groupBy(), nullptr);
    EXPECT_EQ(PLWriter::groupBy()->string(), "App");
    EXPECT_EQ(PLWriter::redirections()->stringForKey("Phone"), "com.example.dialer");
    EXPECT_EQ(ignored(), (std::set<std::string>{"com.example.chat"}));
}

TEST_F(Settings, AbsentKeysKeepScalarsAndResetObjects)
{
    writePreferences(kEveryKey);
    PLWriter::reloadSettings();
    const auto keptRedirections = PLWriter::redirections();

    writePreferences({{"Music Homescreen", yes()}, {"Ignored Applications", NSArray::arrayWithObjects({})}});
    PLWriter::reloadSettings();
    EXPECT_EQ(PLWriter::itemsToKeep(), 10) << "an absent key does not fall back to its default";
    EXPECT_EQ(PLWriter::autoDelete(), 2);
    EXPECT_FALSE(PLWriter::customIcons());
    EXPECT_TRUE(PLWriter::musicOnHomescreen());
    EXPECT_EQ(PLWriter::groupBy()->string(), "Date") << "a loaded file without Group By lists by date";
    EXPECT_EQ(PLWriter::redirections()->count(), 0u);
    EXPECT_TRUE(ignored().empty()) << "an empty list ignores nothing";
    EXPECT_EQ(keptRedirections->stringForKey("Phone"), "com.example.dialer")
        << "a reference taken before the reload stays valid";
}

TEST_F(Settings, AFileThatIsNoDictionaryYieldsNoKeys)
{
    writePreferences(kEveryKey);
    PLWriter::reloadSettings();
    for (const std::string& contents : {std::string("garbage, not a property list"),
                                       std::string("<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>")}) {
        std::ofstream(root.hostPath(PLWriter::kPreferencesPath), std::ios::trunc) << contents;
        PLWriter::reloadSettings();
        EXPECT_EQ(PLWriter::itemsToKeep(), 10);
        EXPECT_TRUE(PLWriter::blockLockscreenAlerts());
        EXPECT_EQ(PLWriter::groupBy()->string(), "Date");
        EXPECT_EQ(PLWriter::redirections()->count(), 0u);
        ASSERT_NE(PLWriter::ignoredApplications(), nullptr);
        EXPECT_TRUE(ignored().empty());
    }
}

TEST_F(Settings, StoredValuesConvertLikeThePlatformAndOddOnesAreSkipped)
{
    writePreferences({
        {"Auto Delete On Badge", integer(5)},
        {"Custom Icons", integer(0)},
        {"Hide Read", string("NO")},
        {"Block Homescreen Alerts", string("YES")},
        {"Items To Keep", NSNumber::numberWithDouble(12.9)},
        {"Auto Delete Type", string(" -1 items")},
        {"Statusbar Icons", NSDate::dateWithTimeIntervalSinceReferenceDate(0)},
        {"Live Pulldown", NSArray::arrayWithObjects({})},
        {"Group By", integer(1)},
        {"Redirections", string("not a dictionary")},
        {"Ignored Applications",
         NSArray::arrayWithObjects({ignoredEntry("A", "com.example.a"), string("not a dictionary"),
                                    NSDictionary::dictionaryWithEntries({{"Application", string("no id")}}),
                                    NSDictionary::dictionaryWithEntries({{"Bundle Id", integer(4)}}),
                                    ignoredEntry("B", "com.example.b")})},
    });
    PLWriter::reloadSettings();
    EXPECT_TRUE(PLWriter::autoDeleteOnBadge()) << "a non-zero number is true";
    EXPECT_FALSE(PLWriter::customIcons());
    EXPECT_FALSE(PLWriter::hideRead());
    EXPECT_TRUE(PLWriter::blockHomescreenAlerts());
    EXPECT_EQ(PLWriter::itemsToKeep(), 12) << "a real converts by truncation";
    EXPECT_EQ(PLWriter::autoDelete(), -1);
    EXPECT_TRUE(PLWriter::statusbarIcons()) << "a value with no boolean reading leaves the setting alone";
    EXPECT_TRUE(PLWriter::livePulldown());
    EXPECT_EQ(PLWriter::groupBy(), nullptr) << "a Group By that is not text groups by application";
    EXPECT_EQ(PLWriter::redirections()->count(), 0u);
    EXPECT_EQ(ignored(), (std::set<std::string>{"com.example.a", "com.example.b"}));
}

TEST_F(Settings, ItemsToKeepCountsAsFiftyUnlessItIsANumberThatFitsWhileNegativeKeepsEverything)
{
    const struct {
        const char* name;
        id value;
        std::int32_t expected;
    } cases[] = {
        {"0", integer(0), 0},
        {"2^31 - 1", integer(INT32_MAX), INT32_MAX},
        {"2^31", integer(1LL << 31), 50},
        {"2^32 + 3", integer((1LL << 32) + 3), 50},
        {"2^40", integer(1LL << 40), 50},
        {"-7", integer(-7), -7},
        {"-2^40", integer(-(1LL << 40)), INT32_MIN},
        {"unsigned 2^63", NSNumber::numberWithUnsignedInteger(1ULL << 63), 50},
        {"NaN", NSNumber::numberWithDouble(std::nan("")), 50},
        {"1e12", NSNumber::numberWithDouble(1e12), 50},
        {"-0.5", NSNumber::numberWithDouble(-0.5), -1},
        {"a boolean", yes(), 50},
        {"text", string("lots"), 50},
        {"text with a number", string(" 12 items"), 12},
        {"text past 2^31", string("4294967299"), 50},
        {"a date", NSDate::dateWithTimeIntervalSinceReferenceDate(0), 50},
    };
    // Applied as a reload applies the file it read (not every value here can be written to a file).
    auto& settings = VTSettings::shared();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        settings.apply(NSDictionary::dictionaryWithEntries({{"Items To Keep", integer(10)}}));
        settings.apply(NSDictionary::dictionaryWithEntries({{"Items To Keep", c.value}}));
        EXPECT_EQ(PLWriter::itemsToKeep(), c.expected);
    }
}

TEST_F(Settings, ABinaryPreferenceFileReadsToo)
{
    BinaryPropertyListBuilder builder;
    const auto key = builder.addString("Items To Keep");
    const auto value = builder.addInteger(7);
    const auto groupKey = builder.addString("Group By");
    const auto groupValue = builder.addString("Date");
    const auto top = builder.addDictionary({{key, value}, {groupKey, groupValue}});
    std::ofstream(root.hostPath(PLWriter::kPreferencesPath), std::ios::binary) << builder.build(top);
    PLWriter::reloadSettings();
    EXPECT_EQ(PLWriter::itemsToKeep(), 7);
    EXPECT_EQ(PLWriter::groupBy()->string(), "Date");
}

TEST_F(Settings, AlertFlagsAreSetDirectlyAndSurviveReloads)
{
    EXPECT_TRUE(PLWriter::overridenLockscreen());
    EXPECT_TRUE(PLWriter::overridenSpringBoard());
    PLWriter::overrideLockscreen(false);
    EXPECT_FALSE(PLWriter::overridenLockscreen());
    EXPECT_TRUE(PLWriter::overridenSpringBoard()) << "the two flags are independent";
    PLWriter::overrideSpringBoard(false);

    writePreferences(kEveryKey);
    PLWriter::reloadSettings();
    EXPECT_FALSE(PLWriter::overridenLockscreen());
    EXPECT_FALSE(PLWriter::overridenSpringBoard());
    PLWriter::overrideLockscreen(true);
    EXPECT_TRUE(PLWriter::overridenLockscreen());
}

TEST_F(Settings, TheDarwinReloadSignalReloadsOnTheMainLoop)
{
    auto& center = CFNotificationCenter::getDarwinNotifyCenter();
    center.addObserver(PLWriter::kLoadSettingsDarwinName, loadSettings);
    writePreferences({{"Items To Keep", integer(7)}});
    center.postNotification(PLWriter::kLoadSettingsDarwinName);
    EXPECT_EQ(PLWriter::itemsToKeep(), 50) << "delivered on the main loop, not inside the post";
    NSRunLoop::mainRunLoop().runUntil([] { return PLWriter::itemsToKeep() == 7; });
    EXPECT_EQ(PLWriter::groupBy()->string(), "Date");
    center.removeEveryObserver(nullptr);
}
