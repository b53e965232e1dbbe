// The shell as a whole, driven as the host drives it: alerts through the gate, lock, home and launch,
// pop-ups dismissed by a tap, the status-bar swipe reaching Activator, rotation.
#include "CrossProcessChannels.h"
#include "DSDisplayController.h"
#include "LAActivator.h"
#include "LAListener.h"
#include "MSHookScope.h"
#include "NSRunLoop.h"
#include "SBAlertItemsController.h"
#include "SBAwayItemsView.h"
#include "SBClasses.h"
#include "SBShell.h"
#include "SBUIController.h"
#include "ShellTestDevice.h"
#include "SpringBoard.h"
#include "SteppedClockScope.h"
#include "UIApplication.h"
#include "UIImage.h"
#include "UIScreen.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A listener that takes the events it is sent, and counts them by name.
class CountingListener final : public LAListener {
public:
    void receiveEvent(LAActivator&, LAEvent& event) override
    {
        received.push_back(event.name());
        event.setHandled(true);
    }
    void receiveDeactivateEvent(LAActivator&, LAEvent& event) override
    {
        ++deactivations;
        event.setHandled(takeDeactivation);
    }
    std::vector<std::string> received;
    int deactivations = 0;
    bool takeDeactivation = false;
};

class Shell : public ::testing::Test {
protected:
    void SetUp() override
    {
        CrossProcessChannels::useLoopback();
        shell.finishLaunching();
    }

    // Lets the pop-up's fade finish.
    void settle()
    {
        clock.clock().advance(0.5);
        while (NSRunLoop::mainRunLoop().runOnce()) {
        }
    }
    std::vector<std::string> alertTitles() const
    {
        std::vector<std::string> titles;
        for (const auto& alert : shell.state().alerts) {
            titles.push_back(alert.title + " / " + alert.message);
        }
        return titles;
    }
    std::vector<std::string> windowNames() const
    {
        std::vector<std::string> names;
        for (const auto& window : shell.state().windows) {
            names.push_back(window.name);
        }
        return names;
    }

    ShellTestDevice device;
    SteppedClockScope clock{800000000};
    SBShell shell;
};

} // namespace

TEST_F(Shell, StartsLockedAndFollowsUnlockLaunchHomeAndLock)
{
    EXPECT_TRUE(shell.state().locked);
    EXPECT_EQ(windowNames(), (std::vector<std::string>{"lock screen", "status bar"}));
    ASSERT_FALSE(shell.unlock());
    EXPECT_EQ(windowNames().front(), "home screen");
    ASSERT_FALSE(shell.launch("com.apple.mobilecal", false));
    EXPECT_EQ(shell.state().foreground, "com.apple.mobilecal");
    EXPECT_EQ(DSDisplayController::sharedInstance().activeApp()->bundleIdentifier(), "com.apple.mobilecal");
    EXPECT_EQ(windowNames().front(), "application");
    ASSERT_FALSE(shell.pressHome());
    EXPECT_EQ(shell.state().foreground, std::nullopt);
    ASSERT_FALSE(shell.lock());
    EXPECT_TRUE(shell.state().locked);

    DSDisplayController::sharedInstance().activateAppWithDisplayIdentifier("com.apple.MobileSMS", true);
    EXPECT_FALSE(shell.state().locked) << "the display stack's launch unlocks, as on a phone without a passcode";
    EXPECT_EQ(shell.state().foreground, "com.apple.MobileSMS");

    const auto unknown = shell.launch("no.such.app", false);
    ASSERT_TRUE(unknown);
    EXPECT_NE(unknown->reason().find("no.such.app"), std::string::npos);
    EXPECT_TRUE(shell.receivePushNotification("no.such.app", "x", false));
    EXPECT_TRUE(shell.reportBatteryLevel(101));
    EXPECT_TRUE(shell.rotate(5));
}

TEST_F(Shell, SlidingTheKnobToTheEndUnlocksAndAnIconTapLaunches)
{
    shell.screen().touches().drag(CGPointMake(60, 430), CGPointMake(160, 430), 5);
    EXPECT_TRUE(shell.state().locked) << "let go half way, the knob slides back";
    shell.screen().touches().drag(CGPointMake(60, 430), CGPointMake(300, 430), 8);
    EXPECT_FALSE(shell.state().locked);
    shell.screen().touches().tap(CGPointMake(41, 60)); // the first icon of the grid
    EXPECT_EQ(shell.state().foreground, "com.apple.mobilecal");
}

TEST_F(Shell, ASwitcherLaunchGoesThroughTheSwitchersActivation)
{
    std::vector<std::string> seen;
    std::function<SBUIController::ActivateApplication> original;
    const MSHookScope hook(ObjCClass::lookUp("SBUIController"), "activateApplicationFromSwitcher:",
                           std::function<SBUIController::ActivateApplication>(
                               [&](const std::shared_ptr<SBUIController>& self, const std::shared_ptr<SBApplication>& app) {
                                   seen.push_back(app->bundleIdentifier());
                                   original(self, app);
                               }),
                           &original);
    ASSERT_FALSE(shell.launch("com.apple.MobileSMS", true));
    EXPECT_EQ(seen, std::vector<std::string>{"com.apple.MobileSMS"});
    EXPECT_EQ(shell.state().foreground, "com.apple.MobileSMS");
    EXPECT_FALSE(shell.state().switcherShown);
}

TEST_F(Shell, AlertsQueueOneAtATimeAndATapOnTheButtonDismissesThem)
{
    ASSERT_FALSE(shell.receiveTextMessage("Anna", "Lunch?"));
    ASSERT_FALSE(shell.reportLowDiskSpace());
    EXPECT_EQ(alertTitles(), std::vector<std::string>{"Anna / Lunch?"});
    EXPECT_EQ(shell.state().sounds, std::vector<std::string>{"sms-received1.caf"});
    settle();

    const auto* alert = SBAlertItemsController::sharedInstance()->visibleItem().get();
    ASSERT_NE(alert, nullptr);
    // The single button sits centred at the bottom of the box in the middle of the screen.
    shell.screen().touches().tap(CGPointMake(160, 240 + 40));
    settle();
    EXPECT_EQ(alertTitles(), std::vector<std::string>{"Almost Out of Storage / You can manage your storage in Settings."})
        << "the next waiting alert appears once the first is gone";
}

TEST_F(Shell, AGateThatHoldsAnAlertBackKeepsItOffTheScreen)
{
    std::function<SBAlertItemsController::ActivateAlertItem> original;
    int held = 0;
    const MSHookScope gate(ObjCClass::lookUp("SBAlertItemsController"), "activateAlertItem:",
                           std::function<SBAlertItemsController::ActivateAlertItem>(
                               [&](const std::shared_ptr<SBAlertItemsController>&, const std::shared_ptr<SBAlertItem>&) {
                                   ++held;
                               }),
                           &original);
    ASSERT_FALSE(shell.receiveVoicemail());
    ASSERT_FALSE(shell.fireCalendarAlarm("Dentist", std::string("Main Street")));
    EXPECT_EQ(held, 2);
    EXPECT_TRUE(shell.state().alerts.empty());
    EXPECT_TRUE(shell.state().sounds.empty());
}

TEST_F(Shell, MissedCallsAreLabelledEachTimeTheListIsShown)
{
    std::function<SBAwayItemsView::LabelForAwayItem> original;
    std::vector<std::string> labelled;
    const MSHookScope hook(ObjCClass::lookUp("SBAwayItemsView"), "_labelForAwayItem:count:",
                           std::function<SBAwayItemsView::LabelForAwayItem>(
                               [&](const std::shared_ptr<SBAwayItemsView>& self, const std::shared_ptr<SBAwayItem>& item,
                                   int count) {
                                   labelled.push_back(item->title());
                                   return original(self, item, count);
                               }),
                           &original);
    ASSERT_FALSE(shell.missCall("Anna", 1.8e9));
    ASSERT_FALSE(shell.missCall("Ben", std::nullopt));
    EXPECT_EQ(labelled, (std::vector<std::string>{"Anna", "Anna", "Ben"}));
    ASSERT_FALSE(shell.unlock());
    ASSERT_FALSE(shell.lock());
    EXPECT_EQ(labelled.size(), 3u) << "unlocking cleared the list";
}

TEST_F(Shell, TheStatusBarSwipeDownAndTheHomeButtonReachActivator)
{
    const auto listener = std::make_shared<CountingListener>();
    LAActivator& activator = LAActivator::sharedInstance();
    activator.registerListener(listener, "test.listener");
    ASSERT_FALSE(activator.assignEvent(LAActivator::kStatusBarSwipeDown, "test.listener"));

    shell.screen().touches().drag(CGPointMake(160, 5), CGPointMake(160, 30), 4);
    EXPECT_TRUE(listener->received.empty()) << "a short pull is no swipe";
    shell.screen().touches().drag(CGPointMake(160, 5), CGPointMake(160, 200), 6);
    EXPECT_EQ(listener->received, std::vector<std::string>{LAActivator::kStatusBarSwipeDown});

    ASSERT_FALSE(shell.unlock());
    ASSERT_FALSE(shell.launch("com.apple.mobiletimer", false));
    listener->takeDeactivation = true;
    ASSERT_FALSE(shell.pressHome());
    EXPECT_EQ(listener->deactivations, 1);
    EXPECT_EQ(shell.state().foreground, "com.apple.mobiletimer") << "a listener that took the press keeps the app";
    listener->takeDeactivation = false;
    ASSERT_FALSE(shell.pressHome());
    EXPECT_EQ(shell.state().foreground, std::nullopt);
    activator.unregisterListenerWithName("test.listener");
}

TEST_F(Shell, RotationTurnsTheScreenAndTellsTheRuntime)
{
    std::vector<int> noted;
    std::function<SpringBoard::NoteInterfaceOrientationChanged> original;
    const MSHookScope hook(ObjCClass::lookUp("SpringBoard"), "noteInterfaceOrientationChanged:",
                           std::function<SpringBoard::NoteInterfaceOrientationChanged>(
                               [&](const std::shared_ptr<SpringBoard>& self, int orientation) {
                                   original(self, orientation);
                                   noted.push_back(self->interfaceOrientation());
                               }),
                           &original);
    ASSERT_FALSE(shell.rotate(3));
    EXPECT_EQ(noted, std::vector<int>{3});
    EXPECT_EQ(shell.state().orientation, 3);
    // Landscape: the status bar runs down the right-hand edge of the portrait screen.
    const auto listener = std::make_shared<CountingListener>();
    LAActivator::sharedInstance().registerListener(listener, "test.rotated");
    ASSERT_FALSE(LAActivator::sharedInstance().assignEvent(LAActivator::kStatusBarSwipeDown, "test.rotated"));
    shell.screen().touches().drag(CGPointMake(312, 240), CGPointMake(200, 240), 5);
    EXPECT_EQ(listener->received.size(), 1u);
    LAActivator::sharedInstance().unregisterListenerWithName("test.rotated");
}

TEST_F(Shell, ASwipeDownTheUprightPictureFromItsTopIsTheStatusBarSwipeInEveryOrientation)
{
    const auto listener = std::make_shared<CountingListener>();
    LAActivator::sharedInstance().registerListener(listener, "test.upright");
    ASSERT_FALSE(LAActivator::sharedInstance().assignEvent(LAActivator::kStatusBarSwipeDown, "test.upright"));
    std::size_t swipes = 0;
    for (const int orientation : {1, 4, 2, 3}) {
        SCOPED_TRACE(orientation);
        ASSERT_FALSE(shell.rotate(orientation));
        const CGSize upright = shell.screen().uprightImage()->size();
        EXPECT_EQ(upright.width, orientation <= 2 ? 320 : 480);
        shell.screen().touches().drag(shell.screen().screenPointForUprightPoint(CGPointMake(upright.width / 2, 5)),
                   shell.screen().screenPointForUprightPoint(CGPointMake(upright.width / 2, 200)), 5);
        EXPECT_EQ(listener->received.size(), ++swipes);
    }
    LAActivator::sharedInstance().unregisterListenerWithName("test.upright");
}

TEST_F(Shell, IsIdleOnceThePopUpHasFadedIn)
{
    ASSERT_FALSE(shell.reportBatteryLevel(18));
    EXPECT_FALSE(shell.isIdle()) << "the pop-up fades in";
    settle();
    EXPECT_TRUE(shell.isIdle());
    EXPECT_EQ(shell.state().batteryLevel, 18);
}

// Pictures of each screen at scale 2, for looking at: VANTLE_SHELL_SNAPSHOTS=<folder>.
TEST_F(Shell, Snapshots)
{
    const char* folder = std::getenv("VANTLE_SHELL_SNAPSHOTS");
    if (folder == nullptr) {
        GTEST_SKIP() << "set VANTLE_SHELL_SNAPSHOTS to a folder to write the pictures";
    }
    ASSERT_TRUE(UIScreen::mainScreen()->setScale(2));
    const std::string base = std::string(folder) + "/";
    UIApplication::sharedApplication()->addStatusBarImageNamed("Vantle");
    ASSERT_FALSE(shell.missCall("Anna Berg", std::nullopt));
    ASSERT_FALSE(shell.missCall("+49 30 1234567", std::nullopt));
    ASSERT_FALSE(shell.screen().writeScreenshot(base + "lock.png"));
    ASSERT_FALSE(shell.unlock());
    ASSERT_FALSE(shell.screen().writeScreenshot(base + "home.png"));
    ASSERT_FALSE(shell.receiveTextMessage("Anna Berg", "Are we still on for lunch at noon?"));
    settle();
    ASSERT_FALSE(shell.screen().writeScreenshot(base + "alert.png"));
    shell.screen().touches().tap(CGPointMake(160, 280));
    settle();
    ASSERT_FALSE(shell.launch("com.apple.mobilecal", false));
    ASSERT_FALSE(shell.launch("com.apple.MobileSMS", false));
    ASSERT_FALSE(shell.screen().writeScreenshot(base + "app.png"));
    ASSERT_FALSE(shell.openSwitcher());
    ASSERT_FALSE(shell.screen().writeScreenshot(base + "switcher.png"));
    ASSERT_FALSE(shell.pressHome());
    ASSERT_FALSE(shell.pressHome());
    ASSERT_FALSE(shell.rotate(3));
    ASSERT_FALSE(shell.reportBatteryLevel(20));
    settle();
    ASSERT_FALSE(shell.screen().writeScreenshot(base + "landscape.png"));
    UIApplication::sharedApplication()->removeStatusBarImageNamed("Vantle");
    UIScreen::mainScreen()->setScale(1);
}
