// The panel: its layout for each orientation, the count line and empty state, one list manager per
// activation, the actions bar and its curl, the bar's actions, and the close gestures, driven by touches.
#include "VTWindow.h"

#include "../LogTestSupport.h"

#include "CALayer.h"
#include "JobThreadTracker.h"
#include "NSThread.h"
#include "PanelTestSupport.h"
#include "RecordingListManager.h"
#include "SteppedClockScope.h"
#include "UIApplication.h"
#include "UITouchRouter.h"
#include "UIWindow.h"
#include "VTSorterByApp.h"
#include "VTSorterByDate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

using paneltest::drain;

namespace {

std::string describe(CGRect rect)
{
    return "(" + std::to_string(rect.origin.x) + ", " + std::to_string(rect.origin.y) + ", "
        + std::to_string(rect.size.width) + ", " + std::to_string(rect.size.height) + ")";
}

#define EXPECT_FRAME(actual, expected) EXPECT_TRUE(CGRectEqualToRect(actual, expected)) << #actual << " is " << describe(actual)

class Panel : public ::testing::Test {
protected:
    void SetUp() override
    {
        paneltest::installArtwork(root);
        window->setHidden(false);
        window->addSubview(panel);
        panel->setController(&controller);
    }
    void TearDown() override
    {
        JobThreadTracker::waitForAll();
        drain();
        window->setHidden(true);
    }

    std::shared_ptr<VTWindow> makePanel(CGRect frame)
    {
        return std::make_shared<VTWindow>(frame, [this] {
            managers.push_back(std::make_shared<RecordingListManager>(rows));
            return managers.back();
        });
    }
    void step(double seconds)
    {
        time.clock().advance(seconds);
        drain();
    }
    // Activates the panel and lets its loading finish.
    void activateAndLoad()
    {
        panel->activate();
        JobThreadTracker::waitForAll();
        drain();
    }
    int tableAsked() const { return managers.back()->count("numberOfRowsInSection"); }

    SteppedClockScope time{1000.0};
    TemporaryDeviceRoot root;
    std::vector<std::string> rows{"Lunch at one?", "Meeting moved to Friday"};
    std::vector<std::shared_ptr<RecordingListManager>> managers;
    paneltest::RecordingController controller;
    std::shared_ptr<UIWindow> window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    std::shared_ptr<VTWindow> panel = makePanel(CGRectMake(0, 0, 320, 480));
    UITouchRouter touches;
};

struct LayoutCase {
    std::int32_t orientation;
    CGFloat width;
    CGFloat height;
    CGRect holder;
    CGRect table;
    CGRect bottomCap;
    CGPoint loader;
};

} // namespace

TEST_F(Panel, LaysItsPartsOutForTheOrientation)
{
    const std::vector<LayoutCase> cases{
        {0, 320, 480, CGRectMake(0, 20, 320, 380), CGRectMake(0, 0, 320, 381), CGRectMake(0, 400, 320, 45), {160, 190.5}},
        {-180, 320, 480, CGRectMake(0, 20, 320, 380), CGRectMake(0, 0, 320, 381), CGRectMake(0, 400, 320, 45), {160, 190.5}},
        {3, 480, 320, CGRectMake(0, 20, 480, 235), CGRectMake(0, 0, 480, 236), CGRectMake(0, 255, 480, 45), {240, 118}},
        {-90, 480, 320, CGRectMake(0, 20, 480, 235), CGRectMake(0, 0, 480, 236), CGRectMake(0, 255, 480, 45), {240, 118}},
        // An orientation the panel does not know puts the bottom cap at the bottom edge.
        {5, 320, 480, CGRectMake(0, 20, 320, 415), CGRectMake(0, 0, 320, 416), CGRectMake(0, 435, 320, 45), {160, 208}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.orientation);
        panel->setOrientation(c.orientation);
        panel->setFrame(CGRectMake(0, 0, c.width, c.height));

        EXPECT_FRAME(panel->holder().frame(), c.holder);
        EXPECT_FRAME(panel->content()->frame(), c.table);
        EXPECT_FRAME(panel->countLabel().frame(), CGRectMake(0, -40, c.width, 40));
        EXPECT_FRAME(panel->topCap().frame(), CGRectMake(0, 0, c.width, 20));
        EXPECT_FRAME(panel->bottomCap().frame(), c.bottomCap);
        const CGFloat buttonsY = c.bottomCap.origin.y + 1;
        EXPECT_FRAME(panel->settingsButton().frame(), CGRectMake(0, buttonsY, 37, 37));
        EXPECT_FRAME(panel->actionsButton().frame(), CGRectMake(c.width - 37, buttonsY, 37, 37));
        EXPECT_TRUE(CGPointEqualToPoint(panel->loader().center(), c.loader));
        EXPECT_TRUE(CGPointEqualToPoint(panel->noNotifications().center(), c.loader));
        // BottomCap320.png or BottomCap480.png, as wide as the panel.
        ASSERT_TRUE(panel->bottomCap().image());
        EXPECT_EQ(panel->bottomCap().image()->size().width, c.width);
    }
}

TEST_F(Panel, CountLineNamesTheNumberOnTheNextPassOfTheMainLoop)
{
    struct CountCase {
        unsigned count;
        bool hidden;
        std::string text;
    };
    for (const auto& c : std::vector<CountCase>{{1, false, "1 Notification"}, {5, false, "5 Notifications"},
                                                {0, true, "0 Notifications"}}) {
        const std::string before = panel->countLabel().text();
        panel->setCount(c.count);
        EXPECT_EQ(panel->count(), c.count);
        EXPECT_EQ(panel->countLabel().isHidden(), c.hidden);
        EXPECT_EQ(panel->countLabel().text(), before);
        drain();
        EXPECT_EQ(panel->countLabel().text(), c.text);
    }
}

TEST_F(Panel, EachActivationLoadsAFreshListManagerOnAJobThread)
{
    UIApplication::sharedApplication()->addStatusBarImageNamed("Vantle");
    panel->activate();
    ASSERT_EQ(managers.size(), 1u);
    EXPECT_FALSE(UIApplication::sharedApplication()->hasStatusBarImageNamed("Vantle"));
    EXPECT_EQ(panel->content()->dataSource(), managers[0].get());
    EXPECT_EQ(panel->content()->delegate(), managers[0].get());
    EXPECT_EQ(managers[0]->window(), panel.get());
    EXPECT_FALSE(panel->topCap().isHidden());
    EXPECT_TRUE(panel->loader().isAnimating());
    EXPECT_FALSE(panel->loader().isHidden());
    EXPECT_TRUE(panel->noNotifications().isHidden());

    JobThreadTracker::waitForAll();
    drain();
    EXPECT_EQ(managers[0]->count("loadNotifications"), 1);
    EXPECT_FALSE(panel->loader().isAnimating());
    EXPECT_TRUE(panel->loader().isHidden());
    EXPECT_EQ(panel->content()->numberOfRowsInSection(0), 2);
    EXPECT_EQ(panel->countLabel().text(), "2 Notifications");
    EXPECT_TRUE(panel->noNotifications().isHidden());

    managers[0]->forgetCalls();
    panel->deactivate();
    const auto calls = managers[0]->calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "purge");
    EXPECT_EQ(calls[1], "flush");
    EXPECT_FALSE(panel->listManager());
    EXPECT_EQ(panel->content()->dataSource(), nullptr);
    EXPECT_EQ(panel->content()->numberOfSections(), 0);
    EXPECT_TRUE(panel->topCap().isHidden());

    rows.clear();
    activateAndLoad();
    ASSERT_EQ(managers.size(), 2u);
    EXPECT_EQ(panel->listManager(), managers[1]);
    EXPECT_FALSE(panel->noNotifications().isHidden());
    EXPECT_TRUE(panel->countLabel().isHidden());
}

TEST_F(Panel, OpeningALongListAsksTheHeightsOfTheRowsOnScreenOnly)
{
    rows.assign(1000, "An entry");
    activateAndLoad();
    window->layoutIfNeeded();
    const int onScreen = static_cast<int>(panel->content()->visibleCells().size());
    EXPECT_GT(onScreen, 0);
    EXPECT_EQ(managers[0]->count("heightForRowAtIndexPath"), onScreen);
}

TEST_F(Panel, ARecordHandedInFromAnotherThreadReachesTheListManagerOnTheMainThread)
{
    activateAndLoad();
    NSThread::detachNewThread([panel = panel] { panel->receivedNotification(NSDictionary::dictionary()); });
    JobThreadTracker::waitForAll();
    drain();
    EXPECT_EQ(managers[0]->count("receivedNotification on main"), 1);
    EXPECT_EQ(managers[0]->count("receivedNotification elsewhere"), 0);

    panel->receivedNotification(NSDictionary::dictionary()); // from the main thread: at once
    EXPECT_EQ(managers[0]->count("receivedNotification on main"), 2);
}

TEST_F(Panel, ActionsBarIsUncoveredByACurlAndReleasedAfterTheUncurl)
{
    activateAndLoad();
    panel->setShowingActions(true);
    std::shared_ptr<VTActions> bar = panel->actions();
    ASSERT_TRUE(bar);
    panel->setShowingActions(true); // already shown: nothing happens
    EXPECT_EQ(panel->actions(), bar);

    EXPECT_FRAME(bar->frame(), panel->content()->frame());
    const auto& sheet = panel->holder().subviews();
    const auto table = std::find(sheet.begin(), sheet.end(), panel->content());
    ASSERT_NE(table, sheet.end());
    ASSERT_NE(table + 1, sheet.end());
    EXPECT_EQ(*(table + 1), bar); // right above the table
    const auto curl = std::dynamic_pointer_cast<CATransition>(panel->holder().layer()->animationForKey("pageCurlAnimation"));
    ASSERT_TRUE(curl);
    EXPECT_EQ(curl->type(), "pageCurl");
    EXPECT_DOUBLE_EQ(curl->endProgress(), 0.78);
    EXPECT_NEAR(panel->actionsButton().transform().b, std::sin(2.3561945), 1e-6);

    step(0.4); // the curl stays where it ended
    EXPECT_TRUE(panel->holder().layer()->animationForKey("pageCurlAnimation"));
    double progress = 0;
    EXPECT_TRUE(panel->holder().layer()->activeTransition(time.clock().monotonicTime(), &progress));
    EXPECT_NEAR(progress, 0.78, 1e-9);

    const std::weak_ptr<VTActions> released = bar;
    bar.reset();
    const int askedBefore = tableAsked();
    panel->setShowingActions(false);
    panel->setShowingActions(false); // already away: nothing happens
    EXPECT_FALSE(panel->actions());
    ASSERT_FALSE(released.expired());
    EXPECT_EQ(released.lock()->superview(), nullptr);
    const auto uncurl = std::dynamic_pointer_cast<CATransition>(panel->holder().layer()->animationForKey("pageCurlAnimation"));
    ASSERT_TRUE(uncurl);
    EXPECT_EQ(uncurl->type(), "pageUnCurl");
    EXPECT_NEAR(uncurl->startProgress(), 0.22, 1e-9);
    EXPECT_TRUE(CGAffineTransformIsIdentity(panel->actionsButton().transform()));

    // The list reloads when it has uncurled; the bar is kept until half a second has passed.
    step(0.3);
    EXPECT_EQ(tableAsked(), askedBefore);
    step(0.1);
    EXPECT_EQ(tableAsked(), askedBefore + 1);
    EXPECT_FALSE(released.expired());
    step(0.1);
    EXPECT_TRUE(released.expired());
}

TEST_F(Panel, CollapseAllShowsItsResultOnceTheListHasUncurled)
{
    activateAndLoad();
    panel->setShowingActions(true);
    step(0.4);
    const int askedBefore = tableAsked();
    panel->actions()->collapseButton().sendActionsForControlEvents(UIControlEventTouchUpInside);
    EXPECT_EQ(managers[0]->count("collapse"), 1);
    EXPECT_FALSE(panel->isShowingActions());
    EXPECT_EQ(tableAsked(), askedBefore);
    step(0.4);
    EXPECT_EQ(tableAsked(), askedBefore + 1);

    panel->setShowingActions(true);
    step(0.4);
    panel->actions()->expandButton().sendActionsForControlEvents(UIControlEventTouchUpInside);
    EXPECT_EQ(managers[0]->count("expand"), 1);
    EXPECT_FALSE(panel->isShowingActions());
}

TEST_F(Panel, TappingClearOnTheUncoveredBarClearsTheLogAndClosesThePanel)
{
    activateAndLoad();
    ASSERT_TRUE(touches.tap(CGPointMake(300, 420))); // the menu button
    ASSERT_TRUE(panel->isShowingActions());
    step(0.4);
    EXPECT_TRUE(controller.calls.empty());

    // "Clear" lies at (15, 201, 290, 46) in the bar, which lies at the top of the sheet (y 20).
    ASSERT_TRUE(touches.tap(CGPointMake(160, 20 + 201 + 23)));
    EXPECT_EQ(managers[0]->count("clear"), 1);
    EXPECT_FALSE(panel->isShowingActions());
    EXPECT_EQ(controller.calls, std::vector<std::string>{"hide"});
}

TEST_F(Panel, SettingsButtonLaunchesTheSettingsApplication)
{
    ASSERT_TRUE(touches.tap(CGPointMake(18, 420)));
    EXPECT_EQ(controller.calls, std::vector<std::string>{"launch com.apple.Preferences"});
}

TEST_F(Panel, TheTurnedMenuButtonKeepsItsSizeWhenThePanelIsLaidOutAgain)
{
    panel->setShowingActions(true);
    panel->setOrientation(3);
    panel->setFrame(CGRectMake(0, 0, 480, 320));
    panel->setShowingActions(false);
    EXPECT_FRAME(panel->actionsButton().frame(), CGRectMake(443, 256, 37, 37));
}

namespace {

struct GestureCase {
    const char* name;
    std::int32_t orientation;
    CGSize size;
    CGFloat begin;
    std::vector<CGFloat> moves;
    CGFloat end;
    bool closedBeforeRelease;
    bool closedAfterRelease;
};

} // namespace

TEST_F(Panel, CloseGestures)
{
    const CGSize kPortrait = CGSizeMake(320, 480);
    // Portrait: the list zone lies between y 20 and y 400 (the bottom band is the 80 points below it).
    const std::vector<GestureCase> cases{
        {"tap on the top strip", 0, kPortrait, 10, {}, 10, false, true},
        {"top strip into the list zone", 0, kPortrait, 10, {60}, 10, false, false},
        {"tap on the bottom cap", 0, kPortrait, 420, {}, 420, false, true},
        {"tap below the bottom cap", 0, kPortrait, 470, {}, 470, false, true},
        {"bottom cap pushed up 20", 0, kPortrait, 420, {400}, 400, false, true},
        {"bottom cap pushed up 35", 0, kPortrait, 420, {385}, 385, true, true},
        {"bottom cap through the list and back down", 0, kPortrait, 420, {395, 430}, 430, false, false},
        {"bottom cap through the list, released higher", 0, kPortrait, 420, {395, 410}, 410, false, true},
        // Landscape: the band is the 65 points below y 255.
        {"landscape bottom band", 3, CGSizeMake(480, 320), 260, {}, 260, false, true},
        // An unknown orientation has no bottom band: a touch on the bottom cap counts as one in the list.
        {"unknown orientation, bottom edge", 5, kPortrait, 470, {}, 470, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        controller.calls.clear();
        panel->setOrientation(c.orientation);
        panel->setFrame(CGRectMake(0, 0, c.size.width, c.size.height));
        const CGFloat x = 160; // clear of the two cap buttons
        const int touch = touches.beginTouch(CGPointMake(x, c.begin));
        ASSERT_NE(touch, -1);
        for (const CGFloat y : c.moves) {
            touches.moveTouch(touch, CGPointMake(x, y));
        }
        EXPECT_EQ(controller.calls.size(), c.closedBeforeRelease ? 1u : 0u);
        touches.endTouch(touch, CGPointMake(x, c.end));
        EXPECT_EQ(controller.calls, c.closedAfterRelease ? std::vector<std::string>{"hide"} : std::vector<std::string>{});
    }
}

TEST_F(Panel, ACancelledTouchClosesNothing)
{
    const int touch = touches.beginTouch(CGPointMake(160, 10));
    touches.cancelTouch(touch);
    EXPECT_TRUE(controller.calls.empty());
}

TEST_F(Panel, ItsTouchesBeginWhileAnotherViewHoldsAnExclusiveTouch)
{
    const auto exclusive = std::make_shared<UIView>(CGRectMake(0, 200, 50, 50));
    exclusive->setExclusiveTouch(true);
    window->addSubview(exclusive);
    const int held = touches.beginTouch(CGPointMake(25, 225));
    ASSERT_NE(held, -1);
    ASSERT_TRUE(touches.tap(CGPointMake(160, 10)));
    EXPECT_EQ(controller.calls, std::vector<std::string>{"hide"});
    touches.endTouch(held, CGPointMake(25, 225));
}

TEST_F(Panel, TouchesOnTheListAreTheTablesOwn)
{
    activateAndLoad();
    ASSERT_TRUE(touches.tap(CGPointMake(160, 200)));
    EXPECT_TRUE(controller.calls.empty());
}

TEST_F(Panel, TheSettingsChooseTheListByDateOnlyForDate)
{
    struct SettingsCase {
        std::optional<NSDictionary::Entries> preferences; // absent: no preference file
        bool byDate;
    };
    const std::vector<SettingsCase> cases{
        {std::nullopt, false},
        {NSDictionary::Entries{{"Group By", logtest::string("Date")}}, true},
        {NSDictionary::Entries{{"Group By", logtest::string("App")}}, false},
        {NSDictionary::Entries{{"Group By", logtest::string("date")}}, false},
        {NSDictionary::Entries{}, true}, // a file without the key means "Date"
    };
    root.createDirectory("/var/mobile/Library/Preferences");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.byDate);
        PLWriter::resetSettings();
        if (c.preferences) {
            logtest::writePreferences(*c.preferences);
        }
        PLWriter::reloadSettings();
        const auto manager = VTWindow::listManagerForSettings();
        EXPECT_EQ(std::dynamic_pointer_cast<VTSorterByDate>(manager) != nullptr, c.byDate);
        EXPECT_EQ(std::dynamic_pointer_cast<VTSorterByApp>(manager) != nullptr, !c.byDate);
    }
    PLWriter::resetSettings();
}
