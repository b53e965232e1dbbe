// The cross-process channels on a private D-Bus session bus, against a second process (vantle_ipc_peer) and
// against gdbus, as another program would use them.
#include "CFNotificationCenter.h"
#include "CPDistributedMessagingCenter.h"
#include "ChildProcess.h"
#include "CrossProcessChannels.h"
#include "DarwinNotificationChannel.h"
#include "JobThreadTracker.h"
#include "MessagingChannel.h"
#include "NSDate.h"
#include "NSRunLoop.h"
#include "NSString.h"
#include "NSThread.h"
#include "PrivateBus.h"
#include "SystemLog.h"
#include "TestDeadline.h"

#include <gtest/gtest.h>

#include <sdbus-c++/sdbus-c++.h>

#include <pwd.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// Runs the main loop until the predicate holds, failing the test if it never does.
void runLoopUntil(const std::function<bool()>& predicate)
{
    EXPECT_TRUE(NSRunLoop::mainRunLoop().runUntilWithin(predicate, kTestDeadline));
}

bool nameHasOwner(const std::string& busAddress, const std::string& name)
{
    const auto connection = sdbus::createSessionBusConnectionWithAddress(busAddress);
    const auto bus = sdbus::createProxy(*connection, "org.freedesktop.DBus", "/org/freedesktop/DBus");
    bool owned = false;
    bus->callMethod("NameHasOwner").onInterface("org.freedesktop.DBus").withArguments(name).storeResultsTo(owned);
    return owned;
}

constexpr const char* kCenter = "net.torvask.Vantle.newNotifications";
constexpr const char* kOtherUser = "nobody";

class BusTest : public ::testing::Test {
protected:
    void SetUp() override { startBus({}); }
    void TearDown() override
    {
        children_.clear();
        CrossProcessChannels::useLoopback(); // leaves the bus before it goes
        bus_.reset();
    }

    void startBus(std::vector<std::string> otherUsers)
    {
        CrossProcessChannels::useLoopback();
        bus_ = std::make_unique<PrivateBus>(std::move(otherUsers));
        ASSERT_TRUE(bus_->isRunning()) << bus_->failure();
        CrossProcessChannels::useSessionBus(bus_->address());
    }

    ChildProcess& start(std::vector<std::string> argv, std::optional<std::string> user = std::nullopt)
    {
        std::string failure;
        ChildProcess::Options options;
        options.environment = {{"DBUS_SESSION_BUS_ADDRESS", bus_->address()}};
        options.user = std::move(user);
        auto child = ChildProcess::start(argv, options, failure);
        EXPECT_NE(child, nullptr) << failure;
        if (!child) {
            std::abort();
        }
        children_.push_back(std::move(child));
        return *children_.back();
    }

    ChildProcess& peer(std::vector<std::string> arguments, std::optional<std::string> user = std::nullopt)
    {
        arguments.insert(arguments.begin(), VANTLE_IPC_PEER);
        return start(std::move(arguments), std::move(user));
    }

    static std::shared_ptr<NSDictionary> record(const std::string& body)
    {
        return NSDictionary::dictionaryWithEntries({
            {"Application", NSString::stringWithString("Mail")},
            {"Body", NSString::stringWithString(body)},
            {"Date", NSDate::dateWithTimeIntervalSinceReferenceDate(800000000)},
        });
    }

    std::unique_ptr<PrivateBus> bus_;
    std::vector<std::unique_ptr<ChildProcess>> children_;
};

TEST_F(BusTest, DarwinNotificationsCrossProcessesBothWays)
{
    auto& center = CFNotificationCenter::getDarwinNotifyCenter();
    std::vector<std::string> heard;
    int key = 0;
    center.addObserver("net.torvask.LoadSettings", [&](auto*, void*, const std::string& name, auto&&...) {
        heard.push_back(name);
    }, &key);

    // Another process posts; this one hears it on its main loop.
    auto& poster = peer({"post-held", "net.torvask.LoadSettings"});
    EXPECT_EQ(poster.nextLine(), "posted");
    runLoopUntil([&] { return !heard.empty(); });
    EXPECT_EQ(heard, (std::vector<std::string>{"net.torvask.LoadSettings"}));
    center.postNotification("net.torvask.Test.Release");
    EXPECT_EQ(poster.waitForExitWithin(kTestDeadline), 0);

    // This process posts; another process hears it, and so does the poster itself.
    auto& observer = peer({"observe", "net.torvask.NewNotification"});
    ASSERT_EQ(observer.nextLine(), "ready");
    center.addObserver("net.torvask.NewNotification", [&](auto*, void*, const std::string& name, auto&&...) {
        heard.push_back(name);
    }, &key);
    center.postNotification("net.torvask.NewNotification");
    EXPECT_EQ(observer.nextLine(), "received net.torvask.NewNotification");
    EXPECT_EQ(observer.waitForExitWithin(kTestDeadline), 0);
    runLoopUntil([&] { return heard.size() == 2; });
    EXPECT_EQ(heard.back(), "net.torvask.NewNotification");
    center.removeEveryObserver(&key);
}

TEST_F(BusTest, MessagesCrossProcessesAndRefusalsComeBackAsErrors)
{
    auto server = CPDistributedMessagingCenter::centerNamed(kCenter);
    std::vector<std::shared_ptr<NSDictionary>> received;
    server->registerForMessageName("New Notification", [&](const std::string&, const auto& info) {
        received.push_back(info);
    });

    // Before anyone serves the centre.
    auto& early = peer({"send", kCenter, "New Notification", "Mail", "hello"});
    EXPECT_EQ(early.nextLine(), std::string("no server listens: ") + kCenter);

    ASSERT_FALSE(server->runServerOnCurrentThread().has_value());
    auto& sender = peer({"send", kCenter, "New Notification", "Mail", "hello"});
    EXPECT_EQ(sender.nextLine(), "ok");
    EXPECT_EQ(sender.waitForExitWithin(kTestDeadline), 0);
    runLoopUntil([&] { return !received.empty(); });
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0]->stringForKey("Body"), "hello");
    EXPECT_NE(received[0]->objectForKey<NSDate>("Date"), nullptr);

    auto& large = peer({"send-large", kCenter, "New Notification", "100000"});
    EXPECT_EQ(large.nextLine().value_or("").rfind("refused: too large", 0), 0u);
    auto& unknown = peer({"send", kCenter, "Other Message", "Mail", "x"});
    EXPECT_EQ(unknown.nextLine(), "refused: no handler for message \"Other Message\"");

    // The other direction: a peer serves, this process sends.
    auto& peerServer = peer({"serve", "net.torvask.Test.Peer", "Ping"});
    ASSERT_EQ(peerServer.nextLine(), "ready");
    EXPECT_FALSE(CPDistributedMessagingCenter::centerNamed("net.torvask.Test.Peer")
                     ->sendMessageName("Ping", record("from the test"))
                     .has_value());
    EXPECT_EQ(peerServer.nextLine(), "received Ping Mail|from the test");

    NSRunLoop::mainRunLoop().runOnce();
    EXPECT_EQ(received.size(), 1u);
}

TEST_F(BusTest, AnAnswerGivenLaterReachesThePeerFromAnyThreadAndStoppingFailsTheCallsStillOpen)
{
    auto server = CPDistributedMessagingCenter::centerNamed(kCenter);
    std::vector<CPMessageReply> replies;
    server->registerForMessageNameAnsweringLater("New Notification",
                                                 [&](auto&&, auto&&, const CPMessageReply& reply) { replies.push_back(reply); });
    ASSERT_FALSE(server->runServerOnCurrentThread().has_value());

    auto& answered = peer({"send", kCenter, "New Notification", "Mail", "one"});
    runLoopUntil([&] { return replies.size() == 1; });
    NSThread::detachNewThread([reply = replies[0]] { reply.refuse("disk full"); });
    EXPECT_EQ(answered.nextLine(), "refused: disk full");

    auto& open = peer({"send", kCenter, "New Notification", "Mail", "two"});
    runLoopUntil([&] { return replies.size() == 2; });
    server->stopServer();
    EXPECT_EQ(open.nextLine(), "failed: the centre stopped serving");
    EXPECT_TRUE(JobThreadTracker::waitForAllWithin(kTestDeadline));
}

TEST_F(BusTest, GdbusPostsARecordAsXml)
{
    auto server = CPDistributedMessagingCenter::centerNamed(kCenter);
    std::shared_ptr<NSDictionary> received;
    server->registerForMessageName("New Notification", [&](const std::string&, const auto& info) { received = info; });
    ASSERT_FALSE(server->runServerOnCurrentThread().has_value());

    const std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
        "<key>Application</key><string>Weather</string><key>Body</key><string>Rain at 5</string>"
        "<key>Date</key><date>2026-12-07T20:33:35Z</date></dict></plist>";
    auto& call = start({"/usr/bin/gdbus", "call", "--session", "--dest", kCenter, "--object-path",
                        "/net/torvask/MessagingCenter", "--method", "net.torvask.MessagingCenter.SendMessage",
                        "New Notification", xml});
    EXPECT_EQ(call.nextLine(), "()");
    EXPECT_EQ(call.waitForExitWithin(kTestDeadline), 0);
    runLoopUntil([&] { return received != nullptr; });
    EXPECT_EQ(received->stringForKey("Application"), "Weather");
    EXPECT_EQ(received->objectForKey<NSDate>("Date")->iso8601String(), "2026-12-07T20:33:35Z");

    // An array instead of a dictionary is refused with the bus error and its reason.
    received = nullptr;
    auto& refused = start({"/usr/bin/gdbus", "call", "--session", "--dest", kCenter, "--object-path",
                           "/net/torvask/MessagingCenter", "--method", "net.torvask.MessagingCenter.SendMessage",
                           "New Notification", "<plist><array/></plist>"});
    EXPECT_EQ(refused.nextLine(), std::nullopt); // gdbus reports errors on stderr
    EXPECT_NE(refused.waitForExitWithin(kTestDeadline), 0);
    NSRunLoop::mainRunLoop().runOnce();
    EXPECT_EQ(received, nullptr);
}

TEST_F(BusTest, PeersOfAnotherUserAreRefused)
{
    if (geteuid() != 0 || !getpwnam(kOtherUser)) {
        GTEST_SKIP() << "needs root and a user '" << kOtherUser << "' to run a peer as another user";
    }
    startBus({kOtherUser});

    auto server = CPDistributedMessagingCenter::centerNamed(kCenter);
    int handled = 0;
    server->registerForMessageName("New Notification", [&](auto&&...) { ++handled; });
    ASSERT_FALSE(server->runServerOnCurrentThread().has_value());
    std::vector<std::string> heard;
    int key = 0;
    CFNotificationCenter::getDarwinNotifyCenter().addObserver(
        "net.torvask.LoadSettings", [&](auto*, void*, const std::string& name, auto&&...) { heard.push_back(name); },
        &key);

    // The stranger's own centre will not send to a server of another user; sent all the same, the server
    // refuses it.
    auto& stranger = peer({"send", kCenter, "New Notification", "Mail", "sneaky"}, kOtherUser);
    EXPECT_EQ(stranger.nextLine(), std::string("refused: ") + kCenter + " is served by a process of another user (uid " +
                                       std::to_string(geteuid()) + "), so nothing was sent");
    EXPECT_EQ(stranger.waitForExitWithin(kTestDeadline), 1);
    auto& forcing = peer({"send-raw", kCenter, "New Notification", "Mail", "sneaky"}, kOtherUser);
    EXPECT_EQ(forcing.nextLine(), "net.torvask.MessagingCenter.Error.Refused: the sender runs as another user");
    EXPECT_EQ(forcing.waitForExitWithin(kTestDeadline), 1);

    // The stranger stays connected, so its post is refused for its uid, not because the bus could no longer
    // say who sent it.
    std::vector<std::string> logged;
    SystemLog::setObserver([&](const std::string& line) { logged.push_back(line); });
    auto& strangerPost = peer({"post-held", "net.torvask.LoadSettings"}, kOtherUser);
    EXPECT_EQ(strangerPost.nextLine(), "posted");
    runLoopUntil([&] { return !logged.empty(); });
    SystemLog::setObserver(nullptr);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].rfind("Darwin notification \"net.torvask.LoadSettings\" from :", 0), 0u) << logged[0];
    EXPECT_TRUE(logged[0].ends_with(" ignored: the sender runs as another user")) << logged[0];

    // Our own post comes after the stranger's on the bus and is heard alone.
    CFNotificationCenter::getDarwinNotifyCenter().postNotification("net.torvask.LoadSettings");
    runLoopUntil([&] { return !heard.empty(); });
    NSRunLoop::mainRunLoop().runOnce();
    EXPECT_EQ(heard, std::vector<std::string>{"net.torvask.LoadSettings"});

    // The same user's peer is still served.
    auto& friendly = peer({"send", kCenter, "New Notification", "Mail", "fine"});
    EXPECT_EQ(friendly.nextLine(), "ok");
    runLoopUntil([&] { return handled == 1; });
    EXPECT_EQ(handled, 1);
    CFNotificationCenter::getDarwinNotifyCenter().removeEveryObserver(&key);
}

TEST_F(BusTest, ChannelsAJobThreadHoldsLastEndOnTheMainThread)
{
    auto server = CPDistributedMessagingCenter::centerNamed(kCenter);
    server->registerForMessageName("New Notification", [](auto&&...) {});
    ASSERT_FALSE(server->runServerOnCurrentThread().has_value());
    ASSERT_TRUE(nameHasOwner(bus_->address(), kCenter));

    // A job thread is posting when the main thread chooses the channels again, and so holds the last
    // reference to the bus channels.
    std::atomic<bool> replaced{false};
    std::thread job([&replaced, darwin = CrossProcessChannels::darwinChannel(),
                     messaging = CrossProcessChannels::messagingChannel()]() mutable {
        darwin->post("net.torvask.Test.Busy");
        replaced.wait(false);
        darwin.reset();
        messaging.reset();
    });
    CrossProcessChannels::useLoopback();
    replaced = true;
    replaced.notify_one();
    job.join();

    // What the main loop dispatches on is still there (the server still owns its name) until the main
    // loop ends it.
    EXPECT_TRUE(nameHasOwner(bus_->address(), kCenter));
    while (NSRunLoop::mainRunLoop().runOnce()) {
    }
    EXPECT_FALSE(nameHasOwner(bus_->address(), kCenter));
}

} // namespace
