#include "../LogTestSupport.h"

#include "CKSMSMessage.h"
#include "NSBundle.h"
#include "NSNumber.h"
#include "ObjCClass.h"
#include "SBAlertItemsController.h"
#include "SBAwayController.h"
#include "SBApplication.h"
#include "SBAwayItem.h"
#include "SBAwayItemsView.h"
#include "SBCalendarAlertItem.h"
#include "SBClasses.h"
#include "SBDiskSpaceAlertItem.h"
#include "SBLowPowerAlertItem.h"
#include "SBRemoteLocalNotificationAlert.h"
#include "SBSMSAlertItem.h"
#include "SBSoundController.h"
#include "SBUIController.h"
#include "SBVoiceMailAlertItem.h"
#include "SpringBoard.h"
#include "VTCapture.h"
#include "VTWindowController.h"
#include "Vantle.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace logtest;

void sendTextMessage(const std::string& text)
{
    std::make_shared<SBSMSAlertItem>()->setMessage(std::make_shared<CKSMSMessage>("Ann", text));
}

// Loads the library's hooks into this test process once, as the shell's loader would: first as another
// process (which must leave the shell alone), then as the shell.
void installHooksOnce()
{
    static const bool installed = [] {
        SBClasses::registerAll();
        NSBundle::setMainBundleIdentifier("com.apple.Preferences");
        VantleInitialize();
        sendTextMessage("not captured");
        drain();
        EXPECT_FALSE(readLog(PLWriter::kNewNotificationsPath)) << "a process other than the shell is left alone";
        NSBundle::setMainBundleIdentifier("com.apple.springboard");
        VantleInitialize();
        return true;
    }();
    (void)installed;
}

class Hooks : public LogFixture {
protected:
    Hooks()
    {
        installHooksOnce();
        VTCapture::shared().reset();
        SBAlertItemsController::sharedInstance()->removeAllItems();
        SBAwayController::sharedAwayController()->setLocked(false);
    }

    std::vector<std::string> loggedApplications()
    {
        drain();
        std::vector<std::string> names;
        for (const auto& record : readLog(PLWriter::kNewNotificationsPath).value_or(decltype(readLog(""))::value_type{})) {
            names.push_back(record->stringForKey("Application").value_or("?"));
        }
        return names;
    }

    static std::shared_ptr<SBApplication> application(const std::string& identifier, const std::string& name)
    {
        return std::make_shared<SBApplication>(identifier, name);
    }
};

TEST_F(Hooks, EveryAlertTheShellMakesIsLoggedThroughItsReplacement)
{
    const auto str = [](const char* text) { return NSString::stringWithString(text); };
    const std::vector<std::pair<const char*, std::function<void()>>> alerts = {
        {"Messages", [] { sendTextMessage("hi"); }},
        {"Calendar", [&] { (void)SBCalendarAlertItem::initWithDate(NSDate::date(), str("UTC"), str("Dentist"), nullptr, 1, false); }},
        {"Battery", [] { (void)SBLowPowerAlertItem::initWithLevel(10); }},
        {"Memory", [] { (void)SBDiskSpaceAlertItem::init(); }},
        {"Chat", [&] { (void)SBRemoteLocalNotificationAlert::initWithApplication(application("com.example.chat", "Chat"), str("yo"), true, nullptr); }},
        {"Voicemail", [&] { (void)SBVoiceMailAlertItem::initWithTitle(str("New Voicemail"), nullptr); }},
        {"Phone", [] {
             const auto view = SBAwayItemsView::initWithFrame({});
             view->setAwayItems({std::make_shared<SBAwayItem>(SBAwayItem::MissedCall, NSDate::date(), "Bob")});
             view->reloadLabels();
         }},
    };
    std::vector<std::string> expected;
    for (const auto& [name, alert] : alerts) {
        alert();
        expected.insert(expected.begin(), name);
        EXPECT_EQ(loggedApplications(), expected);
    }
}

TEST_F(Hooks, AHeldBackPopUpNeverShowsAndItsSoundIsPlayedByTheCapture)
{
    const auto controller = SBAlertItemsController::sharedInstance();
    const auto soundsBefore = SBSoundController::sharedInstance().playedSounds().size();
    PLWriter::overrideSpringBoard(false);
    const auto held = std::make_shared<SBSMSAlertItem>();
    held->setMessage(std::make_shared<CKSMSMessage>("Ann", "hi"));
    PLWriter::overrideSpringBoard(true);
    const auto sounds = SBSoundController::sharedInstance().playedSounds();
    ASSERT_EQ(sounds.size(), soundsBefore + 1);
    EXPECT_EQ(sounds.back(), SBSMSAlertItem::kMessageReceivedSound);
    controller->activateAlertItem(held);
    EXPECT_FALSE(controller->visibleItem());

    const auto next = std::make_shared<SBSMSAlertItem>();
    next->setMessage(std::make_shared<CKSMSMessage>("Ann", "again"));
    controller->activateAlertItem(next);
    EXPECT_EQ(controller->visibleItem(), next);
}

TEST_F(Hooks, TheLockScreensOwnListOfMissedEventsIsHidden)
{
    EXPECT_TRUE(SBAwayItemsView::initWithFrame(CGRectMake(0, 0, 320, 100))->isHidden());
}

TEST_F(Hooks, LaunchingAnApplicationDeletesItsRecordsOnlyWithAutoDeleteOnBadge)
{
    const auto messages = application("com.apple.MobileSMS", "Messages");
    const auto launchers = std::vector<std::function<void()>>{
        [&] { SBUIController::sharedInstance()->activateApplicationAnimated(messages); },
        [&] { SBUIController::sharedInstance()->activateApplicationFromSwitcher(messages); },
    };
    for (const bool autoDelete : {false, true}) {
        writePreferences({{"Auto Delete On Badge", NSNumber::numberWithBool(autoDelete)}});
        PLWriter::reloadSettings();
        for (const auto& launch : launchers) {
            writeLog(PLWriter::kNewNotificationsPath,
                     {makeRecord("Messages", "a", "com.apple.MobileSMS"), makeRecord("Other", "b", "com.example")});
            launch();
            EXPECT_EQ(loggedApplications().size(), autoDelete ? 1u : 2u);
        }
    }
}

TEST_F(Hooks, AnOrientationChangeReachesTheWindowControllerAfterTheShell)
{
    SpringBoard::sharedInstance()->noteInterfaceOrientationChanged(3);
    EXPECT_EQ(SpringBoard::sharedInstance()->interfaceOrientation(), 3);
    EXPECT_EQ(VTWindowController::sharedController()->orientation(), 3);
    SpringBoard::sharedInstance()->noteInterfaceOrientationChanged(1);
}

} // namespace
