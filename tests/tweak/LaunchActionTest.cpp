#include "DSDisplayController.h"
#include "LaunchAction.h"
#include "LogTestSupport.h"
#include "NSNumber.h"
#include "SBApplication.h"
#include "SBCalendarAlertItem.h"
#include "SBRemoteNotificationServer.h"

#include <gtest/gtest.h>

using namespace logtest;

TEST(LaunchAction, AcceptsOnlyTheDataItsTypeExpects)
{
    const auto text = string("com.example.app");
    const auto dictionary = NSDictionary::dictionaryWithEntries({{"Alert", string("alert")}});
    const auto calendarItem = std::make_shared<SBCalendarAlertItem>();
    const auto number = NSNumber::numberWithInteger(3);

    for (const std::int32_t type : {LaunchAction::Application, LaunchAction::URL}) {
        const auto action = LaunchAction::actionWithType(type, text);
        EXPECT_EQ(action->actionType(), type);
        EXPECT_TRUE(action->canLaunch());
        ASSERT_NE(as<NSString>(action->info()), nullptr);
        EXPECT_NE(action->info(), text) << "an own copy of the string";
        EXPECT_TRUE(action->info()->isEqual(*text));
        EXPECT_FALSE(LaunchAction::actionWithType(type, dictionary)->canLaunch());
        EXPECT_FALSE(LaunchAction::actionWithType(type, nullptr)->canLaunch());
    }

    const auto alert = LaunchAction::actionWithType(LaunchAction::Alert, dictionary);
    EXPECT_TRUE(alert->canLaunch());
    EXPECT_EQ(alert->info(), dictionary) << "the dictionary is kept, not copied";
    EXPECT_FALSE(LaunchAction::actionWithType(LaunchAction::Alert, text)->canLaunch());
    EXPECT_EQ(LaunchAction::actionWithType(LaunchAction::Alert, number)->info(), nullptr);

    const auto event = LaunchAction::actionWithType(LaunchAction::Event, calendarItem);
    EXPECT_TRUE(event->canLaunch());
    EXPECT_EQ(event->info(), calendarItem);
    EXPECT_FALSE(LaunchAction::actionWithType(LaunchAction::Event, dictionary)->canLaunch());

    for (const id& data : {id(text), id(dictionary), id(calendarItem), id()}) {
        const auto message = LaunchAction::actionWithType(LaunchAction::Message, data);
        EXPECT_FALSE(message->canLaunch());
        EXPECT_EQ(message->info(), nullptr) << "a message action keeps no data";
    }
    for (const std::int32_t type : {5, -1, 1000}) {
        const auto other = LaunchAction::actionWithType(type, text);
        EXPECT_EQ(other->actionType(), type) << "every type is stored";
        EXPECT_FALSE(other->canLaunch());
    }

    auto changed = LaunchAction::actionWithType(LaunchAction::Application, text);
    changed->setCanLaunch(false);
    EXPECT_FALSE(changed->canLaunch());
}

class LaunchActionLaunch : public LogFixture {
protected:
    static std::size_t activationCount() { return DSDisplayController::sharedInstance().activations().size(); }
    static DSDisplayController::Activation lastActivation()
    {
        return DSDisplayController::sharedInstance().activations().back();
    }
};

TEST_F(LaunchActionLaunch, ApplicationActionActivatesItsIdentifierOrItsRedirection)
{
    const auto before = activationCount();
    LaunchAction::actionWithType(LaunchAction::Application, string("com.apple.mobilephone"))->launch();
    ASSERT_EQ(activationCount(), before + 1);
    EXPECT_EQ(lastActivation().displayIdentifier, "com.apple.mobilephone");
    EXPECT_TRUE(lastActivation().animated);

    writePreferences({{"Redirections", NSDictionary::dictionaryWithEntries(
                                           {{"com.apple.mobilephone", string("com.example.dialer")},
                                            {"Phone", string("com.example.byname")}})}});
    PLWriter::reloadSettings();
    LaunchAction::actionWithType(LaunchAction::Application, string("com.apple.mobilephone"))->launch();
    ASSERT_EQ(activationCount(), before + 2);
    EXPECT_EQ(lastActivation().displayIdentifier, "com.example.dialer");

    LaunchAction::actionWithType(LaunchAction::Application, string("com.apple.mobilephone.other"))->launch();
    EXPECT_EQ(lastActivation().displayIdentifier, "com.apple.mobilephone.other") << "only the exact key redirects";
}

TEST_F(LaunchActionLaunch, AlertURLAndEventActionsReachTheirPlatformOperation)
{
    const auto activations = activationCount();

    const auto alertObject = string("the shell's alert");
    const auto application = std::make_shared<SBApplication>("com.example.chat", "Chat");
    const auto requests = SBRemoteNotificationServer::sharedInstance().launchRequests().size();
    LaunchAction::actionWithType(LaunchAction::Alert,
                                 NSDictionary::dictionaryWithEntries({{"Alert", alertObject}, {"Application", application}}))
        ->launch();
    const auto sent = SBRemoteNotificationServer::sharedInstance().launchRequests();
    ASSERT_EQ(sent.size(), requests + 1);
    EXPECT_EQ(sent.back().alert, alertObject);
    EXPECT_EQ(sent.back().application, application);

    std::vector<std::string> opened;
    UIApplication::sharedApplication()->setURLOpener([&](const NSURL& url) {
        opened.push_back(url.absoluteString());
        return true;
    });
    LaunchAction::actionWithType(LaunchAction::URL, string("http://example.com/x"))->launch();
    LaunchAction::actionWithType(LaunchAction::URL, string("not a url"))->launch();
    UIApplication::sharedApplication()->setURLOpener(nullptr);
    EXPECT_EQ(opened, (std::vector<std::string>{"http://example.com/x"}));

    const auto item = std::make_shared<SBCalendarAlertItem>();
    LaunchAction::actionWithType(LaunchAction::Event, item)->launch();
    EXPECT_EQ(item->revealCount(), 1);

    EXPECT_EQ(activationCount(), activations) << "none of these activates an application";
}

TEST_F(LaunchActionLaunch, ActionsThatCannotLaunchDoNothing)
{
    const auto activations = activationCount();
    const auto requests = SBRemoteNotificationServer::sharedInstance().launchRequests().size();
    const auto item = std::make_shared<SBCalendarAlertItem>();

    LaunchAction::actionWithType(LaunchAction::Message, string("com.apple.MobileSMS"))->launch();
    LaunchAction::actionWithType(LaunchAction::Alert, string("not a dictionary"))->launch();
    LaunchAction::actionWithType(7, string("com.example"))->launch();
    auto disabled = LaunchAction::actionWithType(LaunchAction::Event, item);
    disabled->setCanLaunch(false);
    disabled->launch();
    auto application = LaunchAction::actionWithType(LaunchAction::Application, string("com.example"));
    application->setCanLaunch(false);
    application->launch();

    EXPECT_EQ(activationCount(), activations);
    EXPECT_EQ(SBRemoteNotificationServer::sharedInstance().launchRequests().size(), requests);
    EXPECT_EQ(item->revealCount(), 0);
}
