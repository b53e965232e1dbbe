// The window controller: its open/close state machine as Activator, plug-ins, the panel and launches drive
// it, the slides seen half-way and at their end, what it announces, records handed to the open panel, the
// orientation table, touches on the turned window, and making the one controller from a job thread.
#include "VTWindowController.h"

#include "../LogTestSupport.h"

#include "CrossProcessChannels.h"
#include "DSDisplayController.h"
#include "JobThreadTracker.h"
#include "LAActivator.h"
#include "LAEvent.h"
#include "NSNotification.h"
#include "NSNotificationCenter.h"
#include "NSThread.h"
#include "PLWriter.h"
#include "PanelTestSupport.h"
#include "RecordingListManager.h"
#include "SteppedClockScope.h"
#include "UITouchRouter.h"
#include "VTSorter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using paneltest::drain;

namespace {

class WindowController : public ::testing::Test {
protected:
    void SetUp() override
    {
        CrossProcessChannels::useLoopback();
        paneltest::installArtwork(root);
        controller = VTWindowController::controllerWithFrame(CGRectMake(0, 0, 320, 480), [this] {
            managers.push_back(std::make_shared<RecordingListManager>());
            return managers.back();
        });
        VTWindowController::setSharedController(controller);
        for (const char* name : {VTWindowController::kWindowOpenedNotification, VTWindowController::kWindowClosedNotification}) {
            NSNotificationCenter::defaultCenter().addObserver(
                this,
                [this](const std::shared_ptr<NSNotification>& notification) {
                    EXPECT_EQ(notification->object().get(), static_cast<NSObject*>(controller.get()));
                    posts.push_back(notification->name());
                },
                name);
        }
    }
    void TearDown() override
    {
        NSNotificationCenter::defaultCenter().removeObserver(this);
        JobThreadTracker::waitForAll();
        drain();
        controller->setHidden(true);
        VTWindowController::setSharedController(nullptr);
        PLWriter::resetSettings();
    }

    void step(double seconds)
    {
        time.clock().advance(seconds);
        drain();
    }
    // Runs a slide half-way, checks what shows, then runs it to its end.
    void expectSlide(CGFloat fromY, CGFloat toY, CGFloat fromAlpha, CGFloat toAlpha)
    {
        VTWindow* panel = controller->vantleWindow();
        ASSERT_TRUE(panel);
        step(VTWindowController::kSlideDuration / 2);
        EXPECT_NEAR(panel->presentationTransform().ty, (fromY + toY) / 2, 1e-6);
        EXPECT_NEAR(controller->overlay().presentationAlpha(), (fromAlpha + toAlpha) / 2, 1e-6);
        step(VTWindowController::kSlideDuration / 2);
        EXPECT_NEAR(panel->presentationTransform().ty, toY, 1e-9);
        EXPECT_NEAR(controller->overlay().presentationAlpha(), toAlpha, 1e-9);
    }
    void expectOpened()
    {
        expectSlide(-480, 0, 0, 0.6);
        EXPECT_FALSE(controller->isHidden());
    }
    void expectClosed()
    {
        expectSlide(0, -480, 0.6, 0);
        EXPECT_TRUE(controller->isHidden());
        EXPECT_FALSE(controller->vantleWindow()->listManager());
    }
    void open()
    {
        controller->setShowWindow(true);
        step(VTWindowController::kSlideDuration);
        posts.clear();
    }

    SteppedClockScope time{1000.0};
    TemporaryDeviceRoot root;
    std::vector<std::shared_ptr<RecordingListManager>> managers;
    std::shared_ptr<VTWindowController> controller;
    std::vector<std::string> posts;
    const std::string opened = VTWindowController::kWindowOpenedNotification;
    const std::string closed = VTWindowController::kWindowClosedNotification;
};

std::shared_ptr<LAEvent> event() { return LAEvent::eventWithName(LAActivator::kStatusBarSwipeDown); }

} // namespace

TEST_F(WindowController, IsAHiddenWindowAboveTheShellWithAClearOverlayAndNoPanelYet)
{
    EXPECT_TRUE(controller->isHidden());
    EXPECT_EQ(controller->windowLevel(), 990);
    EXPECT_FALSE(controller->window());
    EXPECT_TRUE(CGRectEqualToRect(controller->overlay().frame(), CGRectMake(0, 0, 480, 480)));
    EXPECT_EQ(controller->overlay().alpha(), 0);
    EXPECT_EQ(VTWindowLink::sharedLink(), controller);
    EXPECT_EQ(VTWindowController::sharedController(), controller);
}

TEST_F(WindowController, TwoActivatorGesturesOpenThenCloseThePanel)
{
    auto& activator = LAActivator::sharedInstance();
    ASSERT_FALSE(activator.assignEvent(LAActivator::kStatusBarSwipeDown, "net.torvask.Vantle"));

    const auto first = event();
    EXPECT_TRUE(activator.sendEventToListener(first));
    EXPECT_TRUE(controller->isWindowShown());
    EXPECT_EQ(posts, std::vector<std::string>{opened});
    ASSERT_TRUE(controller->window());
    EXPECT_EQ(controller->window()->transform().ty, 0); // the model is at rest at once
    expectOpened();
    EXPECT_TRUE(CGRectEqualToRect(controller->window()->frame(), CGRectMake(0, 0, 320, 480)));
    ASSERT_EQ(managers.size(), 1u);
    EXPECT_EQ(controller->window()->listManager(), managers[0]);

    const auto second = event();
    EXPECT_TRUE(activator.sendEventToListener(second));
    EXPECT_FALSE(controller->isWindowShown());
    EXPECT_EQ(posts, (std::vector<std::string>{opened, closed}));
    EXPECT_FALSE(controller->isHidden()); // until the slide has run
    expectClosed();
    EXPECT_EQ(managers[0]->count("purge"), 1);
    ASSERT_FALSE(activator.unassignEvent(LAActivator::kStatusBarSwipeDown));
}

TEST_F(WindowController, AnAbortedEventTogglesOnceMore)
{
    auto& activator = LAActivator::sharedInstance();
    for (const bool shownAfter : {true, false}) {
        const auto aborted = event();
        controller->abortEvent(activator, *aborted);
        EXPECT_TRUE(aborted->isHandled());
        EXPECT_EQ(controller->isWindowShown(), shownAfter);
    }
    EXPECT_EQ(posts, (std::vector<std::string>{opened, closed}));
}

TEST_F(WindowController, ADeactivateEventClosesOnlyAnOpenPanel)
{
    auto& activator = LAActivator::sharedInstance();
    const auto whileClosed = event();
    controller->receiveDeactivateEvent(activator, *whileClosed);
    EXPECT_FALSE(whileClosed->isHandled());
    EXPECT_TRUE(posts.empty());

    open();
    const auto whileOpen = event();
    controller->receiveDeactivateEvent(activator, *whileOpen);
    EXPECT_TRUE(whileOpen->isHandled());
    EXPECT_FALSE(controller->isWindowShown());
    EXPECT_EQ(posts, std::vector<std::string>{closed});
}

TEST_F(WindowController, AnotherListenersEventClosesThePanelAndIsLeftAlone)
{
    open();
    const auto others = event();
    controller->otherListenerDidHandleEvent(LAActivator::sharedInstance(), *others);
    EXPECT_FALSE(others->isHandled());
    EXPECT_FALSE(controller->isWindowShown());
    expectClosed();
}

TEST_F(WindowController, OpeningAnOpenPanelChangesNothing)
{
    open();
    controller->setShowWindow(true);
    EXPECT_TRUE(posts.empty());
    EXPECT_EQ(managers.size(), 1u);
}

TEST_F(WindowController, LaterOpeningsReuseThePanelFromItsParkedPlace)
{
    open();
    VTWindow* first = controller->vantleWindow();
    controller->setShowWindow(false);
    step(VTWindowController::kSlideDuration);
    EXPECT_EQ(first->transform().ty, -480);

    controller->setShowWindow(true);
    EXPECT_EQ(controller->vantleWindow(), first);
    EXPECT_EQ(managers.size(), 2u);
    expectOpened();
}

TEST_F(WindowController, OpeningDuringTheSlideOutKeepsThePanelUp)
{
    open();
    controller->setShowWindow(false);
    step(VTWindowController::kSlideDuration / 2);
    controller->setShowWindow(true);
    step(VTWindowController::kSlideDuration);
    EXPECT_FALSE(controller->isHidden());
    EXPECT_TRUE(controller->window()->listManager());
    EXPECT_NEAR(controller->window()->presentationTransform().ty, 0, 1e-9);
}

TEST_F(WindowController, LaunchingFromThePanelClosesItWithoutAnnouncingIt)
{
    open();
    const auto before = DSDisplayController::sharedInstance().activations().size();
    controller->window()->settingsItem();
    EXPECT_FALSE(controller->isWindowShown());
    EXPECT_TRUE(posts.empty());
    const auto activations = DSDisplayController::sharedInstance().activations();
    ASSERT_EQ(activations.size(), before + 1);
    EXPECT_EQ(activations.back().displayIdentifier, "com.apple.Preferences");
    EXPECT_TRUE(activations.back().animated);
    expectClosed();

    controller->toggleWindow();
    EXPECT_TRUE(controller->isWindowShown());
    EXPECT_EQ(posts, std::vector<std::string>{opened});
}

TEST_F(WindowController, OpenWindowNotificationSlidesInWithoutCountingAsShown)
{
    NSThread::detachNewThread([] { NSNotificationCenter::defaultCenter().postNotificationName("Vantle: Open Window"); });
    JobThreadTracker::waitForAll();
    drain();
    EXPECT_FALSE(controller->isWindowShown());
    EXPECT_TRUE(posts.empty());
    ASSERT_EQ(managers.size(), 1u);
    expectOpened();

    controller->addNotification(NSDictionary::dictionary());
    EXPECT_EQ(managers[0]->count("receivedNotification on main"), 0);

    // The next toggle opens (activating the panel anew) rather than closing.
    controller->toggleWindow();
    EXPECT_TRUE(controller->isWindowShown());
    EXPECT_EQ(managers.size(), 2u);

    // Posted on the main thread, it slides in at once.
    NSNotificationCenter::defaultCenter().postNotificationName("Vantle: Open Window");
    EXPECT_EQ(managers.size(), 3u);
}

TEST_F(WindowController, RecordsReachTheOpenPanelsListManager)
{
    open();
    controller->addNotification(NSDictionary::dictionary());
    EXPECT_EQ(managers[0]->count("receivedNotification on main"), 1);
}

TEST_F(WindowController, ARecordLoggedWhileThePanelIsOpenIsListedOnce)
{
    root.createDirectory("/var/mobile/Library/Vantle");
    logtest::writeLog(PLWriter::kNewNotificationsPath, {logtest::makeRecord("Messages", "Earlier", "com.apple.MobileSMS")});
    controller->setHidden(true);
    controller = VTWindowController::controllerWithFrame(CGRectMake(0, 0, 320, 480), VTWindow::listManagerForSettings);
    VTWindowController::setSharedController(controller);
    open();
    logtest::drain(); // the loading
    const auto sorter = std::dynamic_pointer_cast<VTSorter>(controller->window()->listManager());
    ASSERT_TRUE(sorter);
    ASSERT_EQ(sorter->count(), 1u);

    NSThread::detachNewThread([] { PLWriter::write(logtest::makeRecord("Messages", "Just now", "com.apple.MobileSMS")); });
    logtest::drain();
    std::vector<std::string> bodies;
    for (const auto& record : sorter->rawNotifications()) {
        bodies.push_back(record->stringForKey("Body").value_or("?"));
    }
    EXPECT_EQ(bodies, (std::vector<std::string>{"Just now", "Earlier"}));
    EXPECT_EQ(controller->window()->count(), 2u);
}

TEST_F(WindowController, TheSharedControllerIsMadeOnTheMainThreadWhenAJobThreadAsksFirst)
{
    VTWindowController::setSharedController(nullptr);
    std::atomic<bool> madeOnMain{false};
    std::shared_ptr<VTWindowController> made;
    NSThread::detachNewThread([&] {
        made = VTWindowController::sharedController();
        madeOnMain = made != nullptr;
    });
    // The main thread is itself waiting for the job, running its loop meanwhile.
    JobThreadTracker::waitForAll();
    ASSERT_TRUE(madeOnMain);
    EXPECT_EQ(VTWindowController::sharedController(), made);
    EXPECT_EQ(VTWindowLink::sharedLink(), made);
    EXPECT_EQ(LAActivator::sharedInstance().availableListenerNames(), std::vector<std::string>{"net.torvask.Vantle"});
}

namespace {

struct OrientationCase {
    std::int32_t orientation;
    CGFloat rotation;
    CGSize size;
};

} // namespace

TEST_F(WindowController, FollowsTheOrientationTable)
{
    open();
    const CGSize portrait = CGSizeMake(320, 480);
    const CGSize landscape = CGSizeMake(480, 320);
    const std::vector<OrientationCase> cases{
        {0, 0, portrait},      {1, 0, portrait},        {2, M_PI, portrait},        {180, M_PI, portrait},
        {-180, M_PI, portrait}, {3, M_PI_2, landscape}, {90, M_PI_2, landscape},    {4, -M_PI_2, landscape},
        {-90, -M_PI_2, landscape},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.orientation);
        controller->setOrientation(c.orientation);
        controller->setOrientation();
        const CGAffineTransform turned = controller->transform();
        EXPECT_NEAR(turned.a, std::cos(c.rotation), 1e-9);
        EXPECT_NEAR(turned.b, std::sin(c.rotation), 1e-9);
        EXPECT_TRUE(CGPointEqualToPoint(controller->center(), CGPointMake(160, 240)));
        EXPECT_TRUE(CGSizeEqualToSize(controller->frame().size, c.size));
        EXPECT_TRUE(CGSizeEqualToSize(controller->window()->frame().size, c.size));
        EXPECT_TRUE(CGPointEqualToPoint(controller->window()->center(), CGPointMake(160, 240)));
    }

    // An unknown value leaves rotation and frame as they were.
    const CGRect frame = controller->frame();
    controller->setOrientation(7);
    controller->setOrientation();
    EXPECT_NEAR(controller->transform().b, -1, 1e-9);
    EXPECT_TRUE(CGRectEqualToRect(controller->frame(), frame));
}

TEST_F(WindowController, ThePanelIsLaidOutForTheNewOrientationAsTheShellReportsIt)
{
    open();
    // The start-up hook's order: store, lay out, then tell the panel.
    controller->setOrientation(3);
    controller->setOrientation();
    controller->window()->setOrientation(3);
    EXPECT_TRUE(CGRectEqualToRect(controller->window()->bottomCap().frame(), CGRectMake(0, 255, 480, 45)));
}

TEST_F(WindowController, TouchesReachTheWholeTurnedPanel)
{
    open();
    controller->setOrientation(3);
    controller->setOrientation();
    controller->window()->setOrientation(3);
    step(1);

    // The settings button, at the left end of the landscape bottom cap, in screen coordinates.
    const auto screen = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    UIButton& settings = controller->window()->settingsButton();
    const CGPoint onScreen = settings.convertPointToView(CGPointMake(18.5, 18.5), screen.get());
    UITouchRouter touches;
    ASSERT_TRUE(touches.tap(onScreen));
    EXPECT_FALSE(controller->isWindowShown());
    EXPECT_EQ(DSDisplayController::sharedInstance().activations().back().displayIdentifier, "com.apple.Preferences");
}
