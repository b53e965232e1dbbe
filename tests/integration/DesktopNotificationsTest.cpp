// The shell as the desktop's notification server (springboard --desktop-notifications) on a private bus:
// notify-send and a client of the freedesktop notifications protocol against it, the records read back
// from the device's log, the pop-ups from sbctl.
#include "ChildProcess.h"
#include "NSArray.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSNumber.h"
#include "NSString.h"
#include "PLWriter.h"
#include "ShellHost.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sdbus-c++/sdbus-c++.h>

#include <poll.h>
#include <pugixml.hpp>

#include <algorithm>
#include <chrono>
#include <map>
#include <string_view>
#include <string>
#include <vector>

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

namespace {

constexpr const char* kName = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr auto kDeadline = std::chrono::seconds(30);

// Where the buttons of a pop-up with a two-line message sit (portrait): one "Close" across the box, or
// "Close" left and the action right.
constexpr const char* kButtonsY = "277";
constexpr const char* kActionX = "230";

struct Record {
    std::string application;
    std::string body;
    std::string bundleIdentifier;
};

std::vector<Record> loggedRecords()
{
    std::vector<Record> records;
    const auto list = NSFileManager::defaultManager().readPropertyListAtPath(PLWriter::kNewNotificationsPath).valueAs<NSArray>();
    for (const auto& element : list ? list->objects() : std::vector<std::shared_ptr<NSObject>>{}) {
        const auto record = as<NSDictionary>(element);
        records.push_back({record->stringForKey("Application").value_or("-"), record->stringForKey("Body").value_or("-"),
                           record->stringForKey("Bundle Identifier").value_or("-")});
    }
    return records;
}

ShellHost::Options serving()
{
    ShellHost::Options options;
    options.hostArguments = {"--desktop-notifications"};
    return options;
}

// A client of the protocol on its own connection: blocking calls, and the server's signals kept as
// "closed <id> <reason>" and "action <id> <key>" in the order they came.
class NotificationsClient {
public:
    explicit NotificationsClient(const std::string& busAddress)
        : connection_(sdbus::createSessionBusConnectionWithAddress(busAddress)),
          proxy_(sdbus::createProxy(*connection_, kName, kPath)),
          match_(connection_->addMatch(std::string("type='signal',interface='") + kName + "'",
                                       [this](sdbus::Message& signal) { received(signal); }))
    {
    }

    std::uint32_t notify(const std::string& summary, const std::string& body, std::int32_t timeout = 0,
                         const std::vector<std::string>& actions = {})
    {
        std::uint32_t id = 0;
        proxy_->callMethod("Notify").onInterface(kName)
            .withArguments(std::string("client"), std::uint32_t(0), std::string(), summary, body, actions,
                           std::map<std::string, sdbus::Variant>{}, timeout)
            .storeResultsTo(id);
        return id;
    }
    void close(std::uint32_t id) { proxy_->callMethod("CloseNotification").onInterface(kName).withArguments(id); }
    std::vector<std::string> capabilities()
    {
        std::vector<std::string> offered;
        proxy_->callMethod("GetCapabilities").onInterface(kName).storeResultsTo(offered);
        return offered;
    }
    std::vector<std::string> serverInformation()
    {
        std::string name, vendor, version, protocol;
        proxy_->callMethod("GetServerInformation").onInterface(kName).storeResultsTo(name, vendor, version, protocol);
        return {name, vendor, version, protocol};
    }
    std::string introspection()
    {
        std::string xml;
        proxy_->callMethod("Introspect").onInterface("org.freedesktop.DBus.Introspectable").storeResultsTo(xml);
        return xml;
    }

    // Reads signals until one equals `event`; false when none does by the deadline.
    bool waitFor(const std::string& event)
    {
        const auto deadline = std::chrono::steady_clock::now() + kDeadline;
        while (std::find(events.begin(), events.end(), event) == events.end()) {
            while (connection_->processPendingRequest()) {
            }
            if (std::find(events.begin(), events.end(), event) != events.end()) {
                break;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            const auto poll = connection_->getEventLoopPollData();
            pollfd wait{poll.fd, poll.events, 0};
            (void)::poll(&wait, 1, 100);
        }
        return true;
    }

    std::vector<std::string> events;

private:
    void received(sdbus::Message& signal)
    {
        std::uint32_t id = 0;
        signal >> id;
        if (signal.getMemberName() == std::string("NotificationClosed")) {
            std::uint32_t reason = 0;
            signal >> reason;
            events.push_back("closed " + std::to_string(id) + " " + std::to_string(reason));
        } else {
            std::string key;
            signal >> key;
            events.push_back("action " + std::to_string(id) + " " + key);
        }
    }

    std::unique_ptr<sdbus::IConnection> connection_;
    std::unique_ptr<sdbus::IProxy> proxy_;
    sdbus::Slot match_;
};

// The input and output signatures of each method and the signature of each signal in introspection XML.
std::map<std::string, std::string> signatures(const std::string& xml)
{
    std::map<std::string, std::string> found;
    pugi::xml_document document;
    if (!document.load_string(xml.c_str())) {
        return found;
    }
    for (const pugi::xpath_node& member : document.select_nodes("//interface/method | //interface/signal")) {
        std::string in, out;
        for (const pugi::xml_node argument : member.node().children("arg")) {
            (std::string_view(argument.attribute("direction").value()) == "out" ? out : in) += argument.attribute("type").value();
        }
        const bool isMethod = std::string_view(member.node().name()) == "method";
        found[member.node().attribute("name").value()] = isMethod ? in + " -> " + out : in;
    }
    return found;
}

ToolRun notifySend(const ShellHost& shell, const std::vector<std::string>& arguments)
{
    std::string words = ToolRun::quoted("DBUS_SESSION_BUS_ADDRESS=" + shell.busAddress()) + " notify-send";
    for (const std::string& argument : arguments) {
        words += " " + ToolRun::quoted(argument);
    }
    return ToolRun::of("/usr/bin/env", words);
}

} // namespace

TEST(DesktopNotifications, NotifySendIsLoggedUnderItsApplicationAndShownAsAPushPopUp)
{
    ShellHost shell(serving());
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    struct Case {
        std::vector<std::string> arguments;
        Record record;
        const char* popUpTitle;
    };
    const std::vector<Case> cases = {
        {{"Build finished", "All 212 tests passed"},
         {"notify-send", "Build finished - All 212 tests passed", "org.vantle.Desktop.notify-send"}, "notify-send"},
        {{"-h", "string:desktop-entry:org.gnome.Calendar", "Dentist", "at <b>3</b> &amp; late"},
         {"Calendar", "Dentist - at 3 & late", "com.apple.mobilecal"}, "Calendar"},
        {{"-a", "messages", "Anna", "Lunch?"}, {"Messages", "Anna - Lunch?", "com.apple.MobileSMS"}, "Messages"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.back());
        const ToolRun sent = notifySend(shell, c.arguments);
        ASSERT_EQ(sent.status, 0) << sent.all();
        shell.waitUntilIdle();
        const auto records = loggedRecords();
        ASSERT_FALSE(records.empty());
        EXPECT_EQ(records.front().application, c.record.application);
        EXPECT_EQ(records.front().body, c.record.body);
        EXPECT_EQ(records.front().bundleIdentifier, c.record.bundleIdentifier);
        const auto alerts = shell.state().alerts;
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts.front().title, c.popUpTitle);
        if (&c == &cases.front()) {
            shell.screenshot("desktop-notification.png");
        }
        shell.command({"tap", "160", kButtonsY});
        shell.waitUntilIdle();
        EXPECT_THAT(shell.state().alerts, IsEmpty());
    }
}

TEST(DesktopNotifications, ThePopUpsActionButtonInvokesTheClientsDefaultAction)
{
    ShellHost shell(serving());
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    NotificationsClient listener(shell.busAddress());
    std::string failure;
    ChildProcess::Options options;
    options.environment = {{"DBUS_SESSION_BUS_ADDRESS", shell.busAddress()}};
    auto client = ChildProcess::start({"/usr/bin/notify-send", "--print-id", "--action", "default=Open", "Build finished",
                                       "All 212 tests passed"},
                                      options, failure);
    ASSERT_TRUE(client) << failure;
    // notify-send says nothing until it ends (its output is a pipe), so the pop-up tells that it has called.
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    while (shell.state().alerts.empty() && std::chrono::steady_clock::now() < deadline) {
        shell.waitUntilIdle();
    }
    shell.screenshot("desktop-notification-action.png");
    shell.command({"tap", kActionX, kButtonsY});
    const auto id = client->nextLine();
    ASSERT_TRUE(id);
    EXPECT_EQ(client->nextLine(), "default") << "notify-send prints the action it was told of";
    EXPECT_EQ(client->waitForExit(), 0);
    ASSERT_TRUE(listener.waitFor("closed " + *id + " 2"));
    EXPECT_THAT(listener.events, ElementsAre("action " + *id + " default", "closed " + *id + " 2"));
}

TEST(DesktopNotifications, CloseNotificationExpiryAndTheCloseButtonReportTheirReasons)
{
    ShellHost shell(serving());
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    NotificationsClient client(shell.busAddress());

    const std::uint32_t closed = client.notify("Closed", "by the client");
    client.close(closed);
    EXPECT_TRUE(client.waitFor("closed " + std::to_string(closed) + " 3"));
    EXPECT_THROW(client.close(closed), sdbus::Error) << "a notification that is gone cannot be closed";

    const std::uint32_t expiring = client.notify("Expiring", "in a millisecond", 1);
    EXPECT_TRUE(client.waitFor("closed " + std::to_string(expiring) + " 1"));

    const std::uint32_t dismissed = client.notify("Dismissed", "by the user");
    shell.waitUntilIdle();
    shell.command({"tap", "160", kButtonsY});
    EXPECT_TRUE(client.waitFor("closed " + std::to_string(dismissed) + " 2"));
    shell.waitUntilIdle();
    EXPECT_THAT(shell.state().alerts, IsEmpty());
    EXPECT_EQ(loggedRecords().size(), 3u) << "each was logged";
}

TEST(DesktopNotifications, TheServerAnswersTheProtocolsSignaturesAndCapabilities)
{
    ShellHost shell(serving());
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    NotificationsClient client(shell.busAddress());
    const auto members = signatures(client.introspection());
    EXPECT_EQ(members.at("Notify"), "susssasa{sv}i -> u");
    EXPECT_EQ(members.at("CloseNotification"), "u -> ");
    EXPECT_EQ(members.at("GetCapabilities"), " -> as");
    EXPECT_EQ(members.at("GetServerInformation"), " -> ssss");
    EXPECT_EQ(members.at("NotificationClosed"), "uu");
    EXPECT_EQ(members.at("ActionInvoked"), "us");
    EXPECT_THAT(client.capabilities(), ElementsAre("actions", "body", "body-markup"));
    EXPECT_EQ(client.serverInformation().back(), "1.2");
}

TEST(DesktopNotifications, WithAnotherServerOnTheBusTheShellSaysSoAndGoesOn)
{
    std::unique_ptr<sdbus::IConnection> other;
    ShellHost::Options options = serving();
    options.prepareBus = [&](const std::string& address) {
        other = sdbus::createSessionBusConnectionWithAddress(address);
        other->requestName(kName);
    };
    ShellHost shell(options);
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    EXPECT_THAT(shell.hostLog(), HasSubstr("another notification server owns org.freedesktop.Notifications"));
    shell.command({"sms", "--sender", "Anna", "--text", "still here"});
    shell.waitUntilIdle();
    EXPECT_EQ(shell.state().alerts.size(), 1u);
}

TEST(DesktopNotifications, ABlockedPopUpIsLoggedAndClosedAtOnce)
{
    ShellHost::Options options = serving();
    options.prepareDevice = [](const TemporaryDeviceRoot&) {
        ASSERT_FALSE(NSFileManager::defaultManager().writePropertyList(
            NSDictionary::dictionaryWithEntries({{"Block Lockscreen Alerts", NSNumber::numberWithBool(true)}}),
            PLWriter::kPreferencesPath));
    };
    ShellHost shell(options);
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    NotificationsClient client(shell.busAddress());
    const std::uint32_t id = client.notify("Held back", "on the lock screen");
    EXPECT_TRUE(client.waitFor("closed " + std::to_string(id) + " 4"));
    shell.waitUntilIdle();
    EXPECT_THAT(shell.state().alerts, IsEmpty());
    ASSERT_EQ(loggedRecords().size(), 1u);
    EXPECT_EQ(loggedRecords().front().body, "Held back - on the lock screen");
}

TEST(DesktopNotifications, HostileClientsNeitherCrashTheShellNorLoseAnAcknowledgedRecord)
{
    constexpr int kBurst = 10000;
    ShellHost shell(serving());
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    {
        // Gone before its answer comes (the shell cannot even learn its user then, so it is refused).
        auto connection = sdbus::createSessionBusConnectionWithAddress(shell.busAddress());
        auto proxy = sdbus::createProxy(*connection, kName, kPath);
        auto call = proxy->createMethodCall(kName, "Notify");
        call << std::string("vanishing") << std::uint32_t(0) << std::string() << std::string("Vanishing")
             << std::string("client") << std::vector<std::string>{} << std::map<std::string, sdbus::Variant>{}
             << std::int32_t(0);
        (void)proxy->callMethod(call, [](sdbus::MethodReply&, const sdbus::Error*) {}, 10'000'000);
    }
    NotificationsClient client(shell.busAddress());
    client.notify("Huge", "<b>" + std::string(10 * 1024 * 1024, 'x') + "</b>");
    client.notify("Hostile", "<a href='<<<'>&#xFFFFFFFF;&#0;<!--<b>" + std::string(100'000, '<'));
    std::vector<std::string> acknowledged;
    for (int i = 0; i < kBurst; ++i) {
        client.notify("Burst", std::to_string(i));
        acknowledged.push_back("Burst - " + std::to_string(i));
    }
    shell.waitUntilIdle();

    std::map<std::string, int> logged;
    for (const Record& record : loggedRecords()) {
        ++logged[record.body];
    }
    for (const std::string& body : acknowledged) {
        EXPECT_EQ(logged[body], 1) << body;
    }
    EXPECT_TRUE(std::any_of(logged.begin(), logged.end(), [](const auto& entry) {
        return entry.first.rfind("Huge - xxx", 0) == 0 && entry.first.size() <= 256 + 3 + 1024;
    }));
    EXPECT_EQ(shell.state().alerts.size(), 1u) << "the shell still answers";
}
