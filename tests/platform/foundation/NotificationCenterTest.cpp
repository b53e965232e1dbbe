#include "JobThreadTracker.h"
#include "NSNotificationCenter.h"
#include "NSRunLoop.h"
#include "NSString.h"
#include "NSThread.h"
#include "TestDeadline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace {

TEST(NotificationCenter, DeliversByNameAndSenderInRegistrationOrder)
{
    NSNotificationCenter center;
    const id sender = NSString::stringWithString("sender");
    const id otherSender = NSString::stringWithString("sender");
    std::vector<std::string> heard;
    int a = 0, b = 0, c = 0;
    center.addObserver(&a, [&](const auto& n) { heard.push_back("a:" + n->name()); }, "Open");
    center.addObserver(&b, [&](const auto& n) { heard.push_back("b:" + n->name()); }, std::nullopt, sender);
    center.addObserver(&c, [&](const auto& n) { heard.push_back("c:" + n->name()); }, std::nullopt);

    center.postNotificationName("Open");
    center.postNotificationName("Close", sender);
    center.postNotificationName("Close", otherSender); // equal value, other object: not b's sender
    EXPECT_EQ(heard, (std::vector<std::string>{"a:Open", "c:Open", "b:Close", "c:Close", "c:Close"}));

    heard.clear();
    const auto info = NSDictionary::dictionaryWithEntries({{"Body", NSString::stringWithString("hi")}});
    std::shared_ptr<NSNotification> received;
    int d = 0;
    center.addObserver(&d, [&](const auto& n) { received = n; }, "Info");
    center.postNotificationName("Info", nullptr, info);
    ASSERT_NE(received, nullptr);
    EXPECT_EQ(received->userInfo()->stringForKey("Body"), "hi");
    EXPECT_EQ(received->object(), nullptr);

    // Removal by name takes only the registrations made for that name.
    heard.clear();
    center.addObserver(&c, [&](const auto&) { heard.push_back("c-open"); }, "Open");
    center.removeObserver(&c, std::string("Open"));
    center.postNotificationName("Open");
    EXPECT_EQ(heard, (std::vector<std::string>{"a:Open", "c:Open"}));
    center.removeObserver(&c);
    center.removeObserver(&a);
    heard.clear();
    center.postNotificationName("Open");
    EXPECT_TRUE(heard.empty());
}

TEST(NotificationCenter, ObserversMayRemoveThemselvesAndOthersDuringDelivery)
{
    NSNotificationCenter center;
    std::vector<std::string> heard;
    int first = 0, second = 0, third = 0, late = 0;
    center.addObserver(&first, [&](const auto&) {
        heard.push_back("first");
        center.removeObserver(&first);
        center.removeObserver(&third); // later in this delivery: not called any more
        center.addObserver(&late, [&](const auto&) { heard.push_back("late"); }, "Ping");
    }, "Ping");
    center.addObserver(&second, [&](const auto&) { heard.push_back("second"); }, "Ping");
    center.addObserver(&third, [&](const auto&) { heard.push_back("third"); }, "Ping");

    center.postNotificationName("Ping");
    EXPECT_EQ(heard, (std::vector<std::string>{"first", "second"}));
    heard.clear();
    center.postNotificationName("Ping");
    EXPECT_EQ(heard, (std::vector<std::string>{"second", "late"}));
}

TEST(NotificationCenter, PostOnMainThreadAndWaitDeliversOnTheMainLoopBeforeReturning)
{
    auto& center = NSNotificationCenter::defaultCenter();
    std::atomic<int> deliveredOnMain{0};
    std::atomic<int> deliveredBeforeReturn{0};
    int key = 0;
    center.addObserver(&key, [&](const auto&) { deliveredOnMain += NSThread::isMainThread() ? 1 : 0; },
                       "Vantle: Test Broadcast");
    for (int i = 0; i < 4; ++i) {
        NSThread::detachNewThread([&] {
            const int before = deliveredOnMain.load();
            center.postNotificationOnMainThread(NSNotification::notificationWithName("Vantle: Test Broadcast"), true);
            deliveredBeforeReturn += deliveredOnMain.load() > before ? 1 : 0;
        });
    }
    EXPECT_TRUE(JobThreadTracker::waitForAllWithin(kTestDeadline));
    EXPECT_EQ(deliveredOnMain, 4);
    EXPECT_EQ(deliveredBeforeReturn, 4);

    center.postNotificationOnMainThread(NSNotification::notificationWithName("Vantle: Test Broadcast"), false);
    EXPECT_EQ(deliveredOnMain, 4);
    NSRunLoop::mainRunLoop().runOnce();
    EXPECT_EQ(deliveredOnMain, 5);
    center.removeObserver(&key);
}

} // namespace
