// The plug-in channel end to end on a private D-Bus session bus: the log store's listener in one process,
// plug-ins (vantle-post, gdbus, this test process, a client of another user) in others, and the log files
// on a temporary device root.
#include "CPDistributedMessagingCenter.h"
#include "ChildProcess.h"
#include "CrossProcessChannels.h"
#include "DBusNames.h"
#include "NSArray.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSString.h"
#include "PLWriter.h"
#include "PrivateBus.h"
#include "TemporaryDeviceRoot.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr const char* kOtherUser = "nobody";

class PluginChannel : public ::testing::Test {
protected:
    void SetUp() override { SetUpWithUsers({}); }

    void SetUpWithUsers(std::vector<std::string> otherUsers)
    {
        children_.clear();
        CrossProcessChannels::useLoopback();
        bus_ = std::make_unique<PrivateBus>(std::move(otherUsers));
        ASSERT_TRUE(bus_->isRunning()) << bus_->failure();
        CrossProcessChannels::useSessionBus(bus_->address());
        root_.createDirectory("/var/mobile/Library/Vantle");
        listener_ = &start({VANTLE_LOG_LISTENER, root_.path().string()});
        ASSERT_EQ(listener_->nextLine(), "listening");
    }

    void TearDown() override
    {
        children_.clear();
        CrossProcessChannels::useLoopback();
        bus_.reset();
    }

    ChildProcess& start(std::vector<std::string> argv, std::optional<std::string> user = std::nullopt)
    {
        ChildProcess::Options options;
        options.environment = {{"DBUS_SESSION_BUS_ADDRESS", bus_->address()}};
        options.user = std::move(user);
        options.mergeStandardError = true;
        std::string failure;
        auto child = ChildProcess::start(argv, options, failure);
        if (!child) {
            ADD_FAILURE() << failure;
            std::abort();
        }
        children_.push_back(std::move(child));
        return *children_.back();
    }

    // Runs vantle-post to its end; answers its exit status and its first line of output.
    std::pair<int, std::string> post(std::vector<std::string> arguments, std::optional<std::string> user = std::nullopt)
    {
        arguments.insert(arguments.begin(), VANTLE_POST_TOOL);
        auto& client = start(std::move(arguments), std::move(user));
        const std::string said = client.nextLine().value_or("");
        return {client.waitForExit(), said};
    }

    int gdbus(const std::string& xml)
    {
        auto& call = start({"/usr/bin/gdbus", "call", "--session", "--dest", PLWriter::kMessagingCenterName,
                            "--object-path", DBusNames::kMessagingObjectPath, "--method",
                            std::string(DBusNames::kMessagingInterface) + "." + DBusNames::kMessagingMethod,
                            PLWriter::kNewNotificationMessage, xml});
        return call.waitForExit();
    }

    // Sends a record the way only this process can (too large for a command line); answers the refusal.
    std::optional<CPMessagingError> sendFromHere(NSDictionary::Entries entries)
    {
        return CPDistributedMessagingCenter::centerNamed(PLWriter::kMessagingCenterName)
            ->sendMessageName(PLWriter::kNewNotificationMessage, NSDictionary::dictionaryWithEntries(std::move(entries)));
    }

    // Posts a well-formed record and waits until the listener has logged it: whatever was sent before has
    // then been handled.
    void postSentinelAndWait(const std::string& body)
    {
        ASSERT_EQ(post({"--app", "Sentinel", "--body", body}).first, 0);
        ASSERT_EQ(listener_->nextLine(), "logged " + body);
    }

    std::vector<std::shared_ptr<NSDictionary>> newRecords()
    {
        std::vector<std::shared_ptr<NSDictionary>> records;
        const auto list = NSFileManager::defaultManager().readPropertyListAtPath(PLWriter::kNewNotificationsPath).valueAs<NSArray>();
        for (const auto& element : list ? list->objects() : std::vector<id>{}) {
            records.push_back(as<NSDictionary>(element));
        }
        return records;
    }

    std::vector<std::string> newBodies()
    {
        std::vector<std::string> bodies;
        for (const auto& record : newRecords()) {
            bodies.push_back(record ? record->stringForKey("Body").value_or("<not text>") : "<not a dictionary>");
        }
        return bodies;
    }

    static std::set<std::string> keysOf(const NSDictionary& record)
    {
        std::set<std::string> keys;
        for (const auto& [key, value] : record.entries()) {
            keys.insert(key);
        }
        return keys;
    }

    TemporaryDeviceRoot root_;
    std::unique_ptr<PrivateBus> bus_;
    std::vector<std::unique_ptr<ChildProcess>> children_;
    ChildProcess* listener_ = nullptr;
};

TEST_F(PluginChannel, VantlePostLogsARecordWithExactlyThePlainKeys)
{
    const auto [status, said] = post({"--app", "Messages", "--body", "Dinner at 8?", "--bundle", "com.apple.MobileSMS",
                                      "--date", "2026-12-07T20:33:35Z", "--set", "Sender=Ada", "--set", "Thread=7"});
    EXPECT_EQ(status, 0) << said;
    EXPECT_EQ(listener_->nextLine(), "logged Dinner at 8?");

    const auto records = newRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(keysOf(*records[0]), (std::set<std::string>{"Application", "Body", "Bundle Identifier", "Date"}));
    EXPECT_EQ(records[0]->stringForKey("Application"), "Messages");
    EXPECT_EQ(records[0]->stringForKey("Bundle Identifier"), "com.apple.MobileSMS");
    EXPECT_EQ(records[0]->objectForKey<NSDate>("Date")->iso8601String(), "2026-12-07T20:33:35Z");

    // Without --date the record is dated now; without --bundle it has no identifier.
    EXPECT_EQ(post({"--app", "Mail", "--body", "later"}).first, 0);
    EXPECT_EQ(listener_->nextLine(), "logged later");
    const auto newest = newRecords().front();
    EXPECT_EQ(keysOf(*newest), (std::set<std::string>{"Application", "Body", "Date"}));
    EXPECT_LT(std::abs(newest->objectForKey<NSDate>("Date")->timeIntervalSinceNow()), 3600.0);
}

TEST_F(PluginChannel, GdbusPostsAnXmlRecordAndExtraKeysAreNotStored)
{
    EXPECT_EQ(gdbus("<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
                    "<key>Application</key><string>Weather</string><key>Body</key><string>Rain at 5</string>"
                    "<key>Date</key><date>2026-12-07T20:33:35Z</date><key>Bundle Identifier</key>"
                    "<string>com.example.weather</string><key>Action</key><string>open</string>"
                    "<key>Colour</key><string>blue</string></dict></plist>"),
              0);
    EXPECT_EQ(listener_->nextLine(), "logged Rain at 5");
    const auto records = newRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(keysOf(*records[0]), (std::set<std::string>{"Application", "Body", "Bundle Identifier", "Date"}));
}

TEST_F(PluginChannel, InconsistentRecordsAreAcceptedButNothingIsLogged)
{
    // The server takes them (the sender learns nothing), the log stays as it was.
    EXPECT_FALSE(sendFromHere({{"Application", NSString::stringWithString("Mail")},
                               {"Body", NSString::stringWithString("no date")}}));
    EXPECT_FALSE(sendFromHere({{"Body", NSString::stringWithString("no application")}, {"Date", NSDate::date()}}));
    EXPECT_FALSE(sendFromHere({}));
    postSentinelAndWait("after the inconsistent ones");
    EXPECT_EQ(newBodies(), (std::vector<std::string>{"after the inconsistent ones"}));

    // Only presence is checked: values of other types are logged as they came.
    EXPECT_FALSE(sendFromHere({{"Application", NSString::stringWithString("Odd")},
                               {"Body", NSString::stringWithString("typed oddly")},
                               {"Date", NSString::stringWithString("tomorrow")}}));
    EXPECT_EQ(listener_->nextLine(), "logged typed oddly");
    EXPECT_EQ(newRecords().front()->stringForKey("Date"), "tomorrow");
}

TEST_F(PluginChannel, BadInputIsRefusedAndLeavesTheLogUnchanged)
{
    postSentinelAndWait("first");

    const auto huge = sendFromHere({{"Application", NSString::stringWithString("Flood")},
                                    {"Body", NSString::stringWithString(std::string(10 * 1024 * 1024, 'x'))},
                                    {"Date", NSDate::date()}});
    ASSERT_TRUE(huge.has_value());

    std::string deep = "<plist><dict><key>Application</key><string>Deep</string><key>Body</key>";
    for (int level = 0; level < 5000; ++level) {
        deep += "<array>";
    }
    for (int level = 0; level < 5000; ++level) {
        deep += "</array>";
    }
    deep += "<key>Date</key><date>2026-12-07T20:33:35Z</date></dict></plist>";
    EXPECT_NE(gdbus(deep), 0);
    EXPECT_NE(gdbus("<plist><dict><key>Application</key><string>cut off"), 0);
    EXPECT_NE(gdbus("not a property list at all"), 0);

    const auto [invalidStatus, invalidSaid] = post({"--app", "Mail", "--body", "caf\xC3"});
    EXPECT_EQ(invalidStatus, 2);
    EXPECT_EQ(invalidSaid, "vantle-post: --body is not valid UTF-8 text");

    postSentinelAndWait("last");
    EXPECT_EQ(newBodies(), (std::vector<std::string>{"last", "first"}));
}

TEST_F(PluginChannel, VantlePostExplainsWhatWentWrong)
{
    EXPECT_EQ(post({"--app", "Mail", "--body", "x", "--date", "next tuesday"}),
              std::make_pair(2, std::string("vantle-post: --date 'next tuesday' is not an ISO 8601 date such as "
                                            "2026-12-07T20:33:35Z")));
    EXPECT_EQ(post({"--app", "Mail", "--body", "x", "--set", "Body=other"}).first, 2);
    EXPECT_EQ(post({"--app", "Mail", "--body", "x", "--set", "novalue"}).first, 2);
    EXPECT_NE(post({"--body", "no application"}).first, 0);

    children_.clear(); // the listener goes
    const auto [status, said] = post({"--app", "Mail", "--body", "nobody listens"});
    EXPECT_EQ(status, 1);
    EXPECT_EQ(said, std::string("vantle-post: not sent to net.torvask.Vantle.newNotifications: no server listens: ") +
                        PLWriter::kMessagingCenterName);
    EXPECT_TRUE(newBodies().empty());
}

TEST_F(PluginChannel, AClientOfAnotherUserIsRefused)
{
    if (geteuid() != 0 || !getpwnam(kOtherUser)) {
        GTEST_SKIP() << "needs root and a user '" << kOtherUser << "' to run a client as another user";
    }
    TearDown();
    SetUpWithUsers({kOtherUser});

    const auto [status, said] = post({"--app", "Mail", "--body", "from a stranger"}, kOtherUser);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(said, "vantle-post: not sent to net.torvask.Vantle.newNotifications: refused: "
                    "net.torvask.Vantle.newNotifications is served by a process of another user (uid " +
                        std::to_string(geteuid()) + "), so nothing was sent")
        << "a process of another user serves the log, not the client's own shell";
    postSentinelAndWait("ours");
    EXPECT_EQ(newBodies(), (std::vector<std::string>{"ours"}));
}

} // namespace
