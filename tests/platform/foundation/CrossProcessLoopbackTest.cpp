#include "CFNotificationCenter.h"
#include "CPDistributedMessagingCenter.h"
#include "CrossProcessChannels.h"
#include "JobThreadTracker.h"
#include "NSDate.h"
#include "NSRunLoop.h"
#include "NSString.h"
#include "NSThread.h"
#include "TestDeadline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr const char* kCenter = "net.torvask.Vantle.newNotifications";

class LoopbackTest : public ::testing::Test {
protected:
    void SetUp() override { CrossProcessChannels::useLoopback(); }
    void TearDown() override
    {
        EXPECT_TRUE(JobThreadTracker::waitForAllWithin(kTestDeadline));
        drain();
        CrossProcessChannels::useLoopback();
    }
    static void drain()
    {
        while (NSRunLoop::mainRunLoop().runOnce()) {
        }
    }
    static std::shared_ptr<NSDictionary> record(const std::string& body)
    {
        return NSDictionary::dictionaryWithEntries({
            {"Application", NSString::stringWithString("Mail")},
            {"Body", NSString::stringWithString(body)},
            {"Date", NSDate::dateWithTimeIntervalSinceReferenceDate(800000000)},
        });
    }
};

TEST_F(LoopbackTest, DarwinPostsReachObserversOfTheNameOnTheMainLoop)
{
    auto& center = CFNotificationCenter::getDarwinNotifyCenter();
    std::vector<std::string> heard;
    int settings = 0, other = 0;
    center.addObserver("net.torvask.LoadSettings",
                       [&](CFNotificationCenter* c, void* observer, const std::string& name, const void* object,
                           const std::shared_ptr<NSDictionary>& userInfo) {
                           EXPECT_EQ(c, &center);
                           EXPECT_EQ(observer, &settings);
                           EXPECT_EQ(object, nullptr);
                           EXPECT_EQ(userInfo, nullptr);
                           EXPECT_TRUE(NSThread::isMainThread());
                           heard.push_back(name);
                       },
                       &settings);
    center.addObserver("net.torvask.Other", [&](auto&&...) { heard.push_back("other"); }, &other);

    NSThread::detachNewThread([&] { center.postNotification("net.torvask.LoadSettings"); });
    EXPECT_TRUE(JobThreadTracker::waitForAllWithin(kTestDeadline));
    EXPECT_TRUE(heard.empty() || heard == std::vector<std::string>{"net.torvask.LoadSettings"});
    drain();
    EXPECT_EQ(heard, (std::vector<std::string>{"net.torvask.LoadSettings"}));

    center.removeObserver(&settings, "net.torvask.LoadSettings");
    center.postNotification("net.torvask.LoadSettings");
    center.postNotification("net.torvask.NewNotification"); // nobody observes it
    drain();
    EXPECT_EQ(heard.size(), 1u);
    center.removeEveryObserver(&other);
}

TEST_F(LoopbackTest, ChoosingTheChannelsAgainDropsObserversAndPostsInFlight)
{
    auto& center = CFNotificationCenter::getDarwinNotifyCenter();
    int calls = 0;
    center.addObserver("net.torvask.LoadSettings", [&](auto&&...) { ++calls; });
    center.postNotification("net.torvask.LoadSettings");
    CrossProcessChannels::useLoopback(); // the queued delivery belongs to the old channels
    drain();
    EXPECT_EQ(calls, 0);
    center.postNotification("net.torvask.LoadSettings");
    drain();
    EXPECT_EQ(calls, 0);

    // A fresh observer on the new channels hears posts again.
    center.addObserver("net.torvask.LoadSettings", [&](auto&&...) { ++calls; });
    center.postNotification("net.torvask.LoadSettings");
    drain();
    EXPECT_EQ(calls, 1);
}

TEST_F(LoopbackTest, MessagesReachTheHandlerOnTheMainLoopUnchanged)
{
    auto center = CPDistributedMessagingCenter::centerNamed(kCenter);
    EXPECT_EQ(center, CPDistributedMessagingCenter::centerNamed(kCenter));
    std::vector<std::shared_ptr<NSDictionary>> received;
    center->registerForMessageName("New Notification", [&](const std::string& name, const auto& userInfo) {
        EXPECT_EQ(name, "New Notification");
        EXPECT_TRUE(NSThread::isMainThread());
        received.push_back(userInfo);
    });
    ASSERT_FALSE(center->runServerOnCurrentThread().has_value());
    EXPECT_TRUE(center->isServing());

    std::atomic<bool> sentOk{false};
    NSThread::detachNewThread([&] { sentOk = !center->sendMessageName("New Notification", record("one")); });
    EXPECT_TRUE(JobThreadTracker::waitForAllWithin(kTestDeadline));
    EXPECT_TRUE(sentOk);
    drain();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_TRUE(received[0]->isEqual(*record("one")));

    // Null user information arrives as an empty dictionary.
    EXPECT_FALSE(center->sendMessageName("New Notification", nullptr).has_value());
    drain();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[1]->count(), 0u);
}

TEST_F(LoopbackTest, RefusedMessagesNeverReachAHandler)
{
    auto center = CPDistributedMessagingCenter::centerNamed(kCenter);
    int handled = 0;
    center->registerForMessageName("New Notification", [&](auto&&...) { ++handled; });

    auto error = center->sendMessageName("New Notification", record("x"));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind(), CPMessagingError::Kind::NoServer);
    EXPECT_EQ(error->description(), std::string("no server listens: ") + kCenter);

    ASSERT_FALSE(center->runServerOnCurrentThread().has_value());
    error = center->sendMessageName("Unknown", record("x"));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind(), CPMessagingError::Kind::Refused);
    EXPECT_EQ(error->description(), "refused: no handler for message \"Unknown\"");

    error = center->sendMessageName("New Notification", record(std::string(100 * 1024, 'x')));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind(), CPMessagingError::Kind::Refused);
    EXPECT_EQ(error->description().rfind("refused: too large", 0), 0u) << error->description();

    // Not a property-list value: the sender cannot even encode it.
    const auto bogus = NSDictionary::dictionaryWithEntries({{"Object", std::make_shared<NSObject>()}});
    error = center->sendMessageName("New Notification", bogus);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind(), CPMessagingError::Kind::Failed);

    // Taken, then the handler goes before the main loop runs: the queued message is dropped.
    EXPECT_FALSE(center->sendMessageName("New Notification", record("late")).has_value());
    center->unregisterForMessageName("New Notification");
    drain();
    EXPECT_EQ(handled, 0);

    center->stopServer();
    EXPECT_FALSE(center->isServing());
    error = center->sendMessageName("New Notification", record("x"));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind(), CPMessagingError::Kind::NoServer);
}

TEST_F(LoopbackTest, AHandlerAnsweringLaterHoldsItsSenderUntilAnotherThreadAnswers)
{
    auto center = CPDistributedMessagingCenter::centerNamed(kCenter);
    std::vector<CPMessageReply> replies;
    center->registerForMessageNameAnsweringLater("New Notification",
                                                 [&](auto&&, auto&&, const CPMessageReply& reply) { replies.push_back(reply); });
    ASSERT_FALSE(center->runServerOnCurrentThread().has_value());

    const struct {
        std::function<void(const CPMessageReply&)> answer;
        std::string expected;
    } cases[] = {
        {[](const CPMessageReply& reply) { reply.succeed(); }, "ok"},
        {[](const CPMessageReply& reply) { reply.refuse("disk full"); }, "refused: disk full"},
    };
    for (const auto& test : cases) {
        replies.clear();
        std::atomic<bool> answered{false};
        std::string outcome;
        NSThread::detachNewThread([&] {
            const auto error = center->sendMessageName("New Notification", record("later"));
            outcome = error ? error->description() : "ok";
            answered = true;
        });
        ASSERT_TRUE(NSRunLoop::mainRunLoop().runUntilWithin([&] { return replies.size() == 1; }, kTestDeadline));
        EXPECT_FALSE(answered);
        NSThread::detachNewThread([&test, reply = replies[0]] { test.answer(reply); });
        ASSERT_TRUE(JobThreadTracker::waitForAllWithin(kTestDeadline));
        EXPECT_EQ(outcome, test.expected);
    }
}

TEST_F(LoopbackTest, AReplyDroppedOrStillOpenWhenTheServerStopsEndsAsAnErrorForItsSender)
{
    auto center = CPDistributedMessagingCenter::centerNamed(kCenter);
    std::vector<CPMessageReply> kept;
    center->registerForMessageNameAnsweringLater("New Notification", [&](auto&&, const auto& info, const CPMessageReply& reply) {
        if (info->stringForKey("Body") == "kept") {
            kept.push_back(reply);
        }
    });
    ASSERT_FALSE(center->runServerOnCurrentThread().has_value());
    std::vector<std::string> outcomes(2);
    std::atomic<int> answered{0};
    const auto sendInBackground = [&](const std::string& body, std::string& outcome) {
        NSThread::detachNewThread([&, body] {
            const auto error = center->sendMessageName("New Notification", record(body));
            outcome = error ? error->description() : "ok";
            ++answered;
        });
    };

    sendInBackground("dropped", outcomes[0]);
    ASSERT_TRUE(NSRunLoop::mainRunLoop().runUntilWithin([&] { return answered == 1; }, kTestDeadline));
    sendInBackground("kept", outcomes[1]);
    ASSERT_TRUE(NSRunLoop::mainRunLoop().runUntilWithin([&] { return kept.size() == 1; }, kTestDeadline));
    center->stopServer();
    ASSERT_TRUE(JobThreadTracker::waitForAllWithin(kTestDeadline));
    EXPECT_EQ(outcomes[0], "failed: the server dropped the message without answering");
    EXPECT_EQ(outcomes[1], "failed: the centre stopped serving");
    kept[0].succeed(); // too late: nobody waits any more
}

} // namespace
