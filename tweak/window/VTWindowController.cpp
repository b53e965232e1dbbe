#include "VTWindowController.h"

#include "DSDisplayController.h"
#include "LAActivator.h"
#include "LAEvent.h"
#include "MutexLocker.h"
#include "NSNotification.h"
#include "NSNotificationCenter.h"
#include "NSRunLoop.h"
#include "NSThread.h"
#include "PLWriter.h"
#include "UIColor.h"
#include "UIScreen.h"

#include <cmath>
#include <optional>

namespace {

// How the window is turned and sized for an interface orientation.
struct OrientationLayout {
    CGFloat rotation;
    bool swapsSize; // landscape: the screen's height across, its width down
};

std::optional<OrientationLayout> layoutForOrientation(std::int32_t orientation)
{
    switch (orientation) {
    case 0:
    case 1:
        return OrientationLayout{0, false};
    case 2:
    case 180:
    case -180:
        return OrientationLayout{M_PI, false};
    case 3:
    case 90:
        return OrientationLayout{M_PI_2, true};
    case 4:
    case -90:
        return OrientationLayout{-M_PI_2, true};
    default:
        return std::nullopt;
    }
}

// Where the window and the panel are centred in every orientation.
constexpr CGPoint kLayoutCentre{160, 240};
constexpr CGRect kDefaultFrame{{0, 0}, {320, 480}};

struct SharedInstance {
    Mutex mutex;
    std::shared_ptr<VTWindowController> controller VT_GUARDED_BY(mutex);
};

SharedInstance& shared()
{
    static SharedInstance instance;
    return instance;
}

std::shared_ptr<VTWindowController> existingController()
{
    auto& instance = shared();
    const MutexLocker guard(instance.mutex);
    return instance.controller;
}

} // namespace

// --- The one instance ---

std::shared_ptr<VTWindowController> VTWindowController::sharedController()
{
    if (auto existing = existingController()) {
        return existing;
    }
    createController();
    return existingController();
}

void VTWindowController::createController()
{
    if (!NSThread::isMainThread()) {
        // Views are main-thread objects: the main thread makes the window while this thread waits.
        NSRunLoop::performOnMainThread([] { createController(); }, true);
        return;
    }
    if (!existingController()) {
        setSharedController(controllerWithFrame(kDefaultFrame, VTWindow::listManagerForSettings));
    }
}

std::shared_ptr<VTWindowController> VTWindowController::controllerWithFrame(CGRect frame,
                                                                          VTWindow::ListManagerFactory listManagers)
{
    auto controller = std::make_shared<VTWindowController>(Private{}, frame, std::move(listManagers));
    LAActivator::sharedInstance().registerListener(controller, kListenerName);
    NSNotificationCenter::defaultCenter().addObserver(
        controller.get(),
        [weak = std::weak_ptr<VTWindowController>(controller)](const std::shared_ptr<NSNotification>&) {
            const auto slideIn = [weak] {
                if (const auto alive = weak.lock()) {
                    alive->animateIn();
                }
            };
            // Posts arrive on the posting thread; the slide belongs on the main thread.
            if (NSThread::isMainThread()) {
                slideIn();
            } else {
                NSRunLoop::performOnMainThread(slideIn, false);
            }
        },
        kOpenWindowNotification);
    // Starts the plug-in server on this (the main) thread, then reads the settings for the first time.
    (void)PLWriter::sharedListener();
    PLWriter::reloadSettings();
    return controller;
}

void VTWindowController::setSharedController(std::shared_ptr<VTWindowController> controller)
{
    VTWindowLink::setSharedLink(controller);
    auto& instance = shared();
    const MutexLocker guard(instance.mutex);
    instance.controller = std::move(controller);
}

// --- Creation and layout ---

VTWindowController::VTWindowController(Private, CGRect frame, VTWindow::ListManagerFactory listManagers)
    : UIWindow(frame)
    , listManagers_(std::move(listManagers))
{
    const CGFloat side = std::max(frame.size.width, frame.size.height);
    overlay_ = std::make_shared<UIView>(CGRectMake(0, 0, side, side));
    overlay_->setBackgroundColor(UIColor::blackColor());
    addSubview(overlay_);
    overlay_->setAlpha(0);

    setHidden(true);
    setWindowLevel(kWindowLevel);
}

VTWindowController::~VTWindowController()
{
    NSNotificationCenter::defaultCenter().removeObserver(this);
}

void VTWindowController::setFrame(CGRect frame)
{
    UIWindow::setFrame(frame);
    const CGRect overlayFrame = overlay_->frame();
    overlay_->setFrame(CGRectMake(0, 0, overlayFrame.size.width, overlayFrame.size.height));
    overlay_->setCenter(center());
    if (const auto panel = window()) {
        panel->setFrame(CGRectMake(0, 0, frame.size.width, frame.size.height));
    }
}

bool VTWindowController::pointInsideWithEvent(CGPoint point, UIEvent* event)
{
    return UIWindow::pointInsideWithEvent(point, event) || CGRectContainsPoint(overlay_->frame(), point);
}

std::shared_ptr<VTWindow> VTWindowController::window() const
{
    const MutexLocker guard(panelMutex_);
    return vantle_;
}

void VTWindowController::setVantle(std::shared_ptr<VTWindow> panel)
{
    const MutexLocker guard(panelMutex_);
    vantle_ = std::move(panel);
}

// --- Opening and closing ---

void VTWindowController::setShowWindow(bool show)
{
    if (show == shown_.load()) {
        return;
    }
    shown_ = show;
    if (show) {
        animateIn();
        announce(kWindowOpenedNotification);
    } else {
        animateOut();
        announce(kWindowClosedNotification);
    }
}

void VTWindowController::toggleWindow()
{
    setShowWindow(!shown_.load());
}

void VTWindowController::announce(const char* name)
{
    NSNotificationCenter::defaultCenter().postNotificationName(name, sharedView());
}

std::shared_ptr<VTWindow> VTWindowController::makePanel()
{
    auto panel = std::make_shared<VTWindow>(frame(), listManagers_);
    // Laid out for the orientation the window already has (while it is upright: the frame of a moved view
    // is not where it rests).
    panel->setOrientation(orientation_);
    panel->setFrame(panel->frame());
    panel->setTransform(CGAffineTransformMakeTranslation(0, kParkedOffset));
    panel->setController(this);
    addSubview(panel);
    setVantle(panel);
    return panel;
}

void VTWindowController::animateIn()
{
    playSound();
    auto panel = window();
    if (!panel) {
        panel = makePanel();
    }
    setHidden(false);
    panel->activate();

    UIView::beginAnimationsContext("Slide In", nullptr);
    UIView::setAnimationDuration(kSlideDuration);
    panel->setTransform(CGAffineTransformIdentity);
    overlay_->setAlpha(kOverlayAlpha);
    UIView::commitAnimations();
}

void VTWindowController::animateOut()
{
    playSound();
    const auto panel = window();
    if (panel) {
        panel->setShowingActions(false);
    }

    UIView::beginAnimationsContext("Slide Out", nullptr);
    UIView::setAnimationDelegate(this);
    // A slide out that an opening interrupts has not closed anything: the window stays up and the panel
    // active.
    UIView::setAnimationDidStopSelector(UIViewAnimationGroup::DidStop(
        [weak = std::weak_ptr<VTWindowController>(std::static_pointer_cast<VTWindowController>(sharedView()))](
            const std::string&, bool finished, void*) {
            const auto alive = weak.lock();
            if (alive && finished) {
                alive->didAnimateOut();
            }
        }));
    UIView::setAnimationDuration(kSlideDuration);
    if (panel) {
        panel->setTransform(CGAffineTransformMakeTranslation(0, kParkedOffset));
    }
    overlay_->setAlpha(0);
    UIView::commitAnimations();
}

void VTWindowController::didAnimateOut()
{
    setHidden(true);
    if (const auto panel = window()) {
        panel->deactivate();
    }
}

void VTWindowController::launchAppWithIdentifier(const std::string& bundleIdentifier)
{
    shown_ = false;
    animateOut();
    DSDisplayController::sharedInstance().activateAppWithDisplayIdentifier(bundleIdentifier, true);
}

void VTWindowController::addNotification(const std::shared_ptr<NSDictionary>& plainRecord)
{
    if (!shown_.load()) {
        return;
    }
    const auto panel = window();
    if (panel && panel->listManager()) {
        panel->listManager()->receivedNotification(plainRecord);
    }
}

// --- Orientation ---

void VTWindowController::setOrientation()
{
    setOrientation2();
}

void VTWindowController::setOrientation1()
{
    const auto panel = window();
    if (!panel) {
        setOrientation2();
        return;
    }
    panel->setShowingActions(false);
    UIView::beginAnimationsContext("Fade Out", nullptr);
    UIView::setAnimationDelegate(this);
    UIView::setAnimationDidStopSelector([weak = std::weak_ptr<VTWindowController>(
                                             std::static_pointer_cast<VTWindowController>(sharedView()))] {
        if (const auto alive = weak.lock()) {
            alive->setOrientation2();
        }
    });
    panel->setAlpha(0);
    UIView::commitAnimations();
}

void VTWindowController::setOrientation2()
{
    const auto panel = window();
    if (panel) {
        // The panel lays itself out with the new orientation's constants, not the ones it held before.
        panel->setOrientation(orientation_);
    }
    if (const auto layout = layoutForOrientation(orientation_)) {
        const CGSize screen = UIScreen::mainScreen()->bounds().size;
        setTransform(layout->rotation == 0 ? CGAffineTransformIdentity : CGAffineTransformMakeRotation(layout->rotation));
        const CGPoint origin = frame().origin;
        const CGSize size = layout->swapsSize ? CGSizeMake(screen.height, screen.width) : screen;
        setFrame(CGRect{origin, size});
    }
    setCenter(kLayoutCentre);
    if (!panel) {
        return;
    }
    panel->setCenter(kLayoutCentre);
    UIView::beginAnimationsContext("Fade In", nullptr);
    panel->setAlpha(1.0);
    UIView::commitAnimations();
    panel->reloadContent();
}

// --- Activator ---

void VTWindowController::receiveEvent(LAActivator&, LAEvent& event)
{
    toggleWindow();
    event.setHandled(true);
}

void VTWindowController::abortEvent(LAActivator& activator, LAEvent& event)
{
    receiveEvent(activator, event);
}

void VTWindowController::otherListenerDidHandleEvent(LAActivator&, LAEvent&)
{
    setShowWindow(false);
}

void VTWindowController::receiveDeactivateEvent(LAActivator&, LAEvent& event)
{
    if (!isWindowShown()) {
        return;
    }
    event.setHandled(true);
    setShowWindow(false);
}
