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
#include "UIImage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sdbus-c++/sdbus-c++.h>

#include <cairo.h>
#include <poll.h>
#include <sys/stat.h>
#include <pugixml.hpp>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <chrono>
#include <map>
#include <string_view>
#include <string>
#include <vector>

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::UnorderedElementsAre;

namespace {

constexpr const char* kName = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr auto kDeadline = std::chrono::seconds(30);

// Where the buttons of a pop-up with a two-line message sit (portrait): one "Close" across the box, or
// "Close" left and the action right.
constexpr const char* kButtonsY = "277";
constexpr const char* kActionX = "230";
// A point on the text of such a pop-up.
constexpr const char* kTextY = "220";

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

    // Reads every signal the server sent before it answers a call made now.
    void settle()
    {
        (void)capabilities();
        while (connection_->processPendingRequest()) {
        }
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

// gdbus calling a method of the server with arguments in its text form.
ToolRun gdbus(const ShellHost& shell, const std::string& method, const std::string& arguments)
{
    const std::string call = "call --session --dest " + std::string(kName) + " --object-path " + kPath +
                             " --method " + kName + "." + method + " " + arguments;
    return ToolRun::of("/usr/bin/env", ToolRun::quoted("DBUS_SESSION_BUS_ADDRESS=" + shell.busAddress()) +
                                            " gdbus " + call);
}

// The image-data hint of a square of one colour, in gdbus's text form.
std::string solidImageData(int side, const std::string& rgba)
{
    std::string bytes;
    for (int i = 0; i < side * side; ++i) {
        bytes += (bytes.empty() ? "" : ", ") + rgba;
    }
    return "<(" + std::to_string(side) + ", " + std::to_string(side) + ", " + std::to_string(side * 4) +
           ", true, 8, 4, [byte " + bytes + "])>";
}

// A PNG of one colour.
void writeSolidPng(const std::filesystem::path& path, int side, double red, double green, double blue)
{
    std::filesystem::create_directories(path.parent_path());
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side);
    cairo_t* context = cairo_create(surface);
    cairo_set_source_rgb(context, red, green, blue);
    cairo_paint(context);
    cairo_destroy(context);
    ASSERT_EQ(cairo_surface_write_to_png(surface, path.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(surface);
}

// How many pixels of the screenshot have exactly this colour.
int pixelsOfColour(const std::filesystem::path& png, UIImage::Pixel colour)
{
    std::ifstream file(png, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    const auto image = UIImage::imageWithPNGData(*NSData::dataWithBytes(bytes.str()), 1);
    int count = 0;
    for (int y = 0; image && y < image->pixelHeight(); ++y) {
        for (int x = 0; x < image->pixelWidth(); ++x) {
            count += image->pixelAt(x, y) == colour ? 1 : 0;
        }
    }
    return count;
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

TEST(DesktopNotifications, ATapOnThePopUpsTextInvokesTheDefaultActionAndOnlyItsSenderHearsIt)
{
    ShellHost shell(serving());
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    NotificationsClient bystander(shell.busAddress());
    NotificationsClient sender(shell.busAddress());
    std::string failure;
    ChildProcess::Options options;
    options.environment = {{"DBUS_SESSION_BUS_ADDRESS", shell.busAddress()}};
    auto client = ChildProcess::start({"/usr/bin/notify-send", "--print-id", "--action", "default=Open",
                                       "--action", "later=Later", "Build finished", "All 212 tests passed"},
                                      options, failure);
    ASSERT_TRUE(client) << failure;
    // notify-send says nothing until it ends (its output is a pipe), so the pop-up tells that it has called.
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    while (shell.state().alerts.empty() && std::chrono::steady_clock::now() < deadline) {
        shell.waitUntilIdle();
    }
    shell.screenshot("desktop-notification-action.png");
    shell.command({"tap", "160", kTextY});
    const auto id = client->nextLine();
    ASSERT_TRUE(id);
    EXPECT_EQ(client->nextLine(), "default") << "notify-send prints the action it was told of";
    EXPECT_EQ(client->waitForExit(), 0);

    const std::uint32_t own = sender.notify("Own", "notification", 0, {"later", "Later"});
    shell.waitUntilIdle();
    shell.command({"tap", kActionX, kButtonsY});
    ASSERT_TRUE(sender.waitFor("closed " + std::to_string(own) + " 2"));
    EXPECT_THAT(sender.events, ElementsAre("action " + std::to_string(own) + " later", "closed " + std::to_string(own) + " 2"));
    bystander.settle();
    EXPECT_THAT(bystander.events, IsEmpty()) << "the signals go to the notification's sender only";
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
    EXPECT_THAT(client.capabilities(), ElementsAre("actions", "body", "body-markup", "persistence"));
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
        // Gone before its answer comes (the shell may not even be able to learn its user then).
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

TEST(DesktopNotifications, HintsDecideWhetherANotificationIsLoggedAndHeard)
{
    ShellHost shell(serving());
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    struct Case {
        std::vector<std::string> arguments;
        bool logged;
        bool sounds;
    };
    const std::vector<Case> cases = {
        {{"Plain", "logged and heard"}, true, true},
        {{"--transient", "Transient", "shown only"}, false, true},
        {{"-h", "boolean:suppress-sound:true", "Quiet", "logged, not heard"}, true, false},
        {{"-u", "low", "Low", "logged, not heard"}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.back());
        const std::size_t recordsBefore = loggedRecords().size();
        const std::size_t soundsBefore = shell.state().sounds.size();
        const ToolRun sent = notifySend(shell, c.arguments);
        ASSERT_EQ(sent.status, 0) << sent.all();
        shell.waitUntilIdle();
        const auto state = shell.state();
        ASSERT_EQ(state.alerts.size(), 1u) << "shown in every case";
        EXPECT_EQ(loggedRecords().size(), recordsBefore + (c.logged ? 1 : 0));
        EXPECT_EQ(state.sounds.size(), soundsBefore + (c.sounds ? 1 : 0));
        shell.command({"tap", "160", kButtonsY});
        shell.waitUntilIdle();
    }
}

TEST(DesktopNotifications, TwentyUpdatesOfANotificationLeaveOneRecord)
{
    ShellHost shell(serving());
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    const ToolRun first = notifySend(shell, {"--print-id", "-t", "1", "Volume", "0%"});
    ASSERT_EQ(first.status, 0) << first.all();
    const std::string id = first.out.substr(0, first.out.find('\n'));
    for (int percent = 5; percent <= 100; percent += 5) {
        const ToolRun update = notifySend(shell, {"-r", id, "-t", "1", "Volume", std::to_string(percent) + "%"});
        ASSERT_EQ(update.status, 0) << update.all();
    }
    ASSERT_EQ(notifySend(shell, {"Other", "notification"}).status, 0);
    shell.waitUntilIdle();
    std::vector<std::string> bodies;
    for (const Record& record : loggedRecords()) {
        bodies.push_back(record.body);
    }
    // Each record is written on a thread of its own, so the last update and the other notification may
    // land in either order; what counts is that the twenty updates left one record.
    EXPECT_THAT(bodies, UnorderedElementsAre("Other - notification", "Volume - 100%"));
}

TEST(DesktopNotifications, TheIconAndTheImageAreShownFromWhereTheClientNamesThemOnly)
{
    const TemporaryDeviceRoot files;
    const std::filesystem::path icons = files.hostPath("/share");
    writeSolidPng(icons / "icons/hicolor/48x48/apps/vantle-test-icon.png", 48, 0, 1, 0);
    writeSolidPng(icons / "icon.png", 48, 1, 0, 0);
    writeSolidPng(icons / "share/icons/hicolor/48x48/apps/outside.png", 48, 1, 0, 0);
    const std::string pipe = (icons / "pipe.png").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    ShellHost::Options options = serving();
    options.environment = {{"XDG_DATA_HOME", icons.string()}, {"XDG_DATA_DIRS", "/nonexistent"}};
    ShellHost shell(options);
    ASSERT_TRUE(shell.isRunning()) << shell.failure();

    const UIImage::Pixel red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255};
    struct Case {
        const char* name;
        std::string appIcon;
        std::string hints;
        std::vector<UIImage::Pixel> shown;
        std::vector<UIImage::Pixel> notShown;
    };
    const auto before = shell.screenshot("desktop-notification-picture-none.png");
    const auto shownBefore = [&](UIImage::Pixel colour) { return pixelsOfColour(before, colour); };
    const std::vector<Case> cases = {
        {"an icon named in the icon theme", "vantle-test-icon", "{}", {green}, {red, blue}},
        {"an icon file and raw image data", (icons / "icon.png").string(), "{'image-data': " + solidImageData(12, "0, 0, 255, 255") + "}",
         {red, blue}, {green}},
        {"a file URI as the image path", "", "{'image-path': <'file://" + (icons / "icon.png").string() + "'>}", {red},
         {green, blue}},
        {"a name that climbs out of the themes", "../../../../share/icons/hicolor/48x48/apps/outside", "{}", {},
         {red, green}},
        {"a pipe, and data too short for its size", pipe,
         "{'image-data': <(64, 64, 256, true, 8, 4, [byte 0, 0, 255, 255])>}", {}, {red, green, blue}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ToolRun sent = gdbus(shell, "Notify", "client 0 " + ToolRun::quoted(c.appIcon) + " Pictures shown '[]' " +
                                                        ToolRun::quoted(c.hints) + " 0");
        ASSERT_EQ(sent.status, 0) << sent.all();
        const std::string id = sent.out.substr(sent.out.find(' ') + 1, sent.out.find(',') - sent.out.find(' ') - 1);
        shell.waitUntilIdle();
        const auto picture = shell.screenshot(std::string("desktop-notification-picture-") +
                                              std::to_string(&c - cases.data()) + ".png");
        for (const UIImage::Pixel colour : c.shown) {
            EXPECT_GT(pixelsOfColour(picture, colour), shownBefore(colour) + 100) << int(colour.red) << "," << int(colour.green);
        }
        for (const UIImage::Pixel colour : c.notShown) {
            EXPECT_EQ(pixelsOfColour(picture, colour), shownBefore(colour)) << int(colour.red) << "," << int(colour.green);
        }
        const ToolRun closed = gdbus(shell, "CloseNotification", id);
        ASSERT_EQ(closed.status, 0) << closed.all();
        shell.waitUntilIdle();
        ASSERT_TRUE(shell.state().alerts.empty());
    }
}
