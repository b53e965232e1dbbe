#include "DSDisplayController.h"
#include "NSRunLoop.h"
#include "NSString.h"
#include "SBApplication.h"
#include "SBCalendarAlertItem.h"
#include "SBLockScreenView.h"
#include "SBRemoteNotificationServer.h"
#include "SBStatusBar.h"
#include "SteppedClockScope.h"
#include "TemporaryDeviceRoot.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

TEST(DSDisplayController, RecordsActivationsAndOffersThemToObservers)
{
    const TemporaryDeviceRoot noApplicationsInstalled;
    auto& display = DSDisplayController::sharedInstance();
    EXPECT_EQ(&display, &DSDisplayController::sharedInstance());
    const auto before = display.activations().size();

    std::vector<std::string> observed;
    const auto token = display.activationObservers().add([&](const DSDisplayController::Activation& activation) {
        observed.push_back(activation.displayIdentifier + (activation.animated ? "/animated" : "/still"));
        // The shell acts on the request and reports the new foreground application.
        display.setActiveApp(std::make_shared<SBApplication>(activation.displayIdentifier, "Shown"));
    });
    display.activateAppWithDisplayIdentifier("com.apple.MobileSMS", true);
    display.activateAppWithDisplayIdentifier("no.such.app", false);
    display.activationObservers().remove(token);
    display.activateAppWithDisplayIdentifier("com.apple.mobilecal", true);

    EXPECT_EQ(observed, (std::vector<std::string>{"com.apple.MobileSMS/animated", "no.such.app/still"}));
    const auto activations = display.activations();
    ASSERT_EQ(activations.size(), before + 3);
    EXPECT_EQ(activations.back().displayIdentifier, "com.apple.mobilecal");
    ASSERT_NE(display.activeApp(), nullptr);
    EXPECT_EQ(display.activeApp()->bundleIdentifier(), "no.such.app");

    display.setActiveApp(nullptr);
    EXPECT_EQ(display.activeApp(), nullptr) << "the home screen has no foreground application";
}

TEST(SBRemoteNotificationServer, PassesAlertAndApplicationOnUnchanged)
{
    auto& server = SBRemoteNotificationServer::sharedInstance();
    const auto alert = NSString::stringWithString("an alert object");
    const auto application = std::make_shared<SBApplication>("com.example.chat", "Chat");
    std::optional<SBRemoteNotificationServer::LaunchRequest> observed;
    const auto token = server.launchObservers().add(
        [&](const SBRemoteNotificationServer::LaunchRequest& request) { observed = request; });
    server.remoteLocalNotificationAlertShouldLaunch(alert, application);
    server.launchObservers().remove(token);

    ASSERT_TRUE(observed.has_value());
    EXPECT_EQ(observed->alert, alert);
    EXPECT_EQ(observed->application, application);
    ASSERT_FALSE(server.launchRequests().empty());
    EXPECT_EQ(server.launchRequests().back().application->displayName(), "Chat");
}

TEST(SBCalendarAlertItem, CountsRevealsAndTellsObserversWhichItem)
{
    auto item = std::make_shared<SBCalendarAlertItem>();
    SBCalendarAlertItem other;
    std::vector<const SBCalendarAlertItem*> revealed;
    const auto token =
        SBCalendarAlertItem::revealObservers().add([&](const SBCalendarAlertItem* which) { revealed.push_back(which); });
    item->revealEvent();
    other.revealEvent();
    item->revealEvent();
    SBCalendarAlertItem::revealObservers().remove(token);

    EXPECT_EQ(item->revealCount(), 2);
    EXPECT_EQ(other.revealCount(), 1);
    EXPECT_EQ(revealed, (std::vector<const SBCalendarAlertItem*>{item.get(), &other, item.get()}));
    EXPECT_NE(as<SBCalendarAlertItem>(id(item)), nullptr) << "an alert item answers revealEvent";
    EXPECT_EQ(as<SBCalendarAlertItem>(id(NSString::stringWithString("x"))), nullptr);
}

TEST(ShellClocks, TheStatusBarAndTheLockScreenRedrawWhenTheShownMinuteChangesAndOnlyThen)
{
    SteppedClockScope clock(1000); // 40 seconds into a minute
    const std::vector<std::shared_ptr<UIView>> clocks = {
        std::make_shared<SBStatusBar>(),
        std::make_shared<SBLockScreenView>(SBAwayItemsView::initWithFrame(CGRectMake(0, 0, 320, 200))),
    };
    const auto redrawsAfter = [&](double seconds) {
        for (const auto& view : clocks) {
            view->clearNeedsDisplay();
        }
        clock.clock().advance(seconds);
        while (NSRunLoop::mainRunLoop().runOnce()) {
        }
        std::vector<bool> redrawn;
        for (const auto& view : clocks) {
            redrawn.push_back(view->needsDisplay());
        }
        return redrawn;
    };
    EXPECT_EQ(redrawsAfter(19.5), std::vector<bool>({false, false})) << "within the minute";
    EXPECT_EQ(redrawsAfter(0.5), std::vector<bool>({true, true})) << "the minute turned";
    EXPECT_EQ(redrawsAfter(59.5), std::vector<bool>({false, false}));
}
