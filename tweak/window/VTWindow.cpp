#include "VTWindow.h"

#include "Assertions.h"
#include "CALayer.h"
#include "CATransaction.h"
#include "CATransition.h"
#include "NSRunLoop.h"
#include "NSThread.h"
#include "PLWriter.h"
#include "UIApplication.h"
#include "UIColor.h"
#include "UIFont.h"
#include "UIImage-Retina.h"
#include "VTController.h"
#include "VTSorterByApp.h"
#include "VTSorterByDate.h"

#include <cmath>
#include <string>

namespace {

// What the orientation changes: how far the bottom cap stands above the bottom edge, and how high the
// band along the bottom edge is where a touch counts as a touch on the bottom cap.
struct OrientationMetrics {
    CGFloat capOffset;
    CGFloat bottomBand;
};

constexpr OrientationMetrics kPortraitMetrics{35, 80};
constexpr OrientationMetrics kLandscapeMetrics{20, 65};
constexpr OrientationMetrics kUnknownOrientationMetrics{0, 0};

OrientationMetrics metricsForOrientation(std::int32_t orientation)
{
    switch (orientation) {
    case 0:
    case 1:
    case 2:
    case 180:
    case -180:
        return kPortraitMetrics;
    case 3:
    case 4:
    case 90:
    case -90:
        return kLandscapeMetrics;
    default:
        return kUnknownOrientationMetrics;
    }
}

// The menu glyph (a plus) turns into a cross while the actions bar is shown.
constexpr CGFloat kActionsButtonTurn = 2.3561945;
constexpr CGFloat kCountLabelHeight = 40;
constexpr CGRect kEmptyStateFrame{{0, 0}, {109, 90}};
constexpr CGRect kEmptyStateIconFrame{{25, 0}, {59, 60}};
constexpr CGRect kEmptyStateLabelFrame{{0, 79}, {109, 20}};

std::shared_ptr<UIButton> makeCapButton(const char* imageName, std::function<void()> action, const void* target)
{
    auto button = std::make_shared<UIButton>(UIButtonTypeCustom, CGRectZero);
    button->setImageForState(UIImageRetina::imageInVantleFolderNamed(imageName), UIControlStateNormal);
    button->addTargetActionForControlEvents(target, std::move(action), UIControlEventTouchUpInside);
    return button;
}

void placeCapButton(UIButton& button, CGPoint origin)
{
    button.setBounds(CGRectMake(0, 0, VTWindow::kCapButtonSide, VTWindow::kCapButtonSide));
    button.setCenter(CGPointMake(origin.x + VTWindow::kCapButtonSide / 2, origin.y + VTWindow::kCapButtonSide / 2));
}

std::string countText(unsigned count)
{
    return std::to_string(static_cast<int>(count)) + " Notification" + (count == 1 ? "" : "s");
}

} // namespace

VTWindow::VTWindow(CGRect frame, ListManagerFactory listManagers)
    : UIView(frame)
    , listManagers_(std::move(listManagers))
    , holder_(std::make_shared<UIView>(CGRectZero))
    , content_(UITableView::initWithFrameStyle(CGRectZero, UITableViewStyle::Plain))
    , countLabel_(std::make_shared<UILabel>(CGRectMake(0, -kCountLabelHeight, 0, kCountLabelHeight)))
    , loader_(UIActivityIndicatorView::initWithActivityIndicatorStyle(UIActivityIndicatorViewStyleGray))
    , noNotifications_(std::make_shared<UIView>(kEmptyStateFrame))
    , topCap_(std::make_shared<UIImageView>(CGRectMake(0, 0, 0, kTopCapHeight)))
    , bottomCap_(std::make_shared<UIImageView>(CGRectZero))
    , actionsButton_(makeCapButton("GlyphMenu.png", [this] { actionItem(); }, this))
    , settingsButton_(makeCapButton("GlyphSettings.png", [this] { settingsItem(); }, this))
{
    setClipsToBounds(true);

    holder_->setBackgroundColor(UIColor::whiteColor());
    holder_->setClipsToBounds(true);
    addSubview(holder_);

    content_->setRowHeight(50);
    // Entry rows are measured as they come into view: opening a long log measures one screen of texts.
    content_->setEstimatedRowHeight(50);
    content_->setSeparatorColor(UIColor::clearColor());
    holder_->addSubview(content_);

    topCap_->setImage(UIImageRetina::imageInVantleFolderNamed("TopCap.png"));
    addSubview(topCap_);
    addSubview(bottomCap_);
    addSubview(settingsButton_);
    addSubview(actionsButton_);

    countLabel_->setTextAlignment(UITextAlignmentCenter);
    countLabel_->setFont(UIFont::boldSystemFontOfSize(14));
    countLabel_->setBackgroundColor(UIColor::clearColor());
    countLabel_->setTextColor(UIColor::colorWithWhiteAlpha(0.2, 1.0));
    countLabel_->setShadowColor(UIColor::whiteColor());
    countLabel_->setShadowOffset(CGSizeMake(0, 1));
    content_->addSubview(countLabel_);

    buildEmptyState();

    loader_->setHidesWhenStopped(true);
    addSubview(loader_);

    setFrame(frame);
}

VTWindow::~VTWindow()
{
    // The table does not retain its data source: it lets go of the manager, and the manager goes while
    // the panel it may still ask for its table is whole.
    content_->setDataSource(nullptr);
    content_->setDelegate(nullptr);
    listManager_.reset();
}

std::shared_ptr<VTNotificationListManager> VTWindow::listManagerForSettings()
{
    const auto groupBy = PLWriter::groupBy();
    if (groupBy && groupBy->string() == "Date") {
        return std::make_shared<VTSorterByDate>();
    }
    return std::make_shared<VTSorterByApp>();
}

void VTWindow::buildEmptyState()
{
    auto icon = std::make_shared<UIImageView>(kEmptyStateIconFrame);
    icon->setImage(UIImageRetina::imageInVantleFolderNamed("Icon.png"));
    noNotifications_->addSubview(icon);

    auto label = std::make_shared<UILabel>(kEmptyStateLabelFrame);
    label->setText("No Notifications");
    label->setTextAlignment(UITextAlignmentCenter);
    label->setFont(UIFont::systemFontOfSize(14));
    noNotifications_->addSubview(label);

    holder_->addSubview(noNotifications_);
}

void VTWindow::setFrame(CGRect frame)
{
    VT_ASSERT_MAIN_THREAD();
    UIView::setFrame(frame);
    const CGFloat width = frame.size.width;
    const CGFloat height = frame.size.height;
    const CGFloat capOffset = metricsForOrientation(orientation_).capOffset;

    holder_->setFrame(CGRectMake(0, kTopCapHeight, width, height - capOffset - 65));
    const CGRect sheet = holder_->frame();
    content_->setFrame(CGRectMake(0, 0, sheet.size.width, sheet.size.height + 1));
    CGRect countFrame = countLabel_->frame();
    countFrame.size.width = width;
    countLabel_->setFrame(countFrame);
    topCap_->setFrame(CGRectMake(0, 0, width, kTopCapHeight));

    const CGFloat capTop = height - kBottomCapHeight - capOffset;
    bottomCap_->setFrame(CGRectMake(0, capTop, width, kBottomCapHeight));
    bottomCap_->setImage(UIImageRetina::imageInVantleFolderNamed(
        "BottomCap" + std::to_string(static_cast<int>(width)) + ".png"));
    // The buttons stand one point below the cap's top edge. They are placed by bounds and centre, which is
    // their frame while they are upright, so the menu button keeps its size while it is turned.
    placeCapButton(*settingsButton_, CGPointMake(0, capTop + 1));
    placeCapButton(*actionsButton_, CGPointMake(width - kCapButtonSide, capTop + 1));

    const CGPoint middle = CGPointMake(width / 2, content_->frame().size.height / 2);
    loader_->setCenter(middle);
    noNotifications_->setCenter(middle);
}

void VTWindow::activate()
{
    VT_ASSERT_MAIN_THREAD();
    if (UIApplication::instancesRespondToSelector("removeStatusBarImageNamed:")) {
        UIApplication::sharedApplication()->removeStatusBarImageNamed("Vantle");
    }
    setListManager(listManagers_ ? listManagers_() : nullptr);
    topCap_->setHidden(false);
    loader_->startAnimating();
    noNotifications_->setHidden(true);
    if (listManager_) {
        // The job holds the manager until it ends, even if the panel has dropped it by then.
        NSThread::detachNewThread([manager = listManager_] { manager->loadNotifications(); });
    }
}

void VTWindow::deactivate()
{
    VT_ASSERT_MAIN_THREAD();
    setShowingActions(false);
    topCap_->setHidden(true);
    if (listManager_) {
        listManager_->purge();
        listManager_->flush();
    }
    setListManager(nullptr);
    content_->reloadData();
}

void VTWindow::setListManager(std::shared_ptr<VTNotificationListManager> listManager)
{
    VT_ASSERT_MAIN_THREAD();
    // The table lets go of the old manager before the panel releases it.
    content_->setDataSource(listManager.get());
    content_->setDelegate(listManager.get());
    listManager_ = std::move(listManager);
    if (listManager_) {
        listManager_->setWindow(this);
    }
    content_->reloadData();
}

void VTWindow::reloadContent()
{
    VT_ASSERT_MAIN_THREAD();
    content_->reloadData();
}

void VTWindow::finishedSorting()
{
    VT_ASSERT_MAIN_THREAD();
    loader_->stopAnimating();
}

void VTWindow::setCount(unsigned count)
{
    VT_ASSERT_MAIN_THREAD();
    count_ = count;
    countLabel_->setHidden(count == 0);
    // The text follows on the next pass of the main loop, after the sort's other reports.
    NSRunLoop::performOnMainThread(
        [label = std::weak_ptr<UILabel>(countLabel_), text = countText(count)] {
            if (const auto shown = label.lock()) {
                shown->setText(text);
            }
        },
        false);
}

void VTWindow::setNoNotifications(bool noNotifications)
{
    VT_ASSERT_MAIN_THREAD();
    noNotifications_->setHidden(!noNotifications);
}

void VTWindow::receivedNotification(const std::shared_ptr<NSDictionary>& record)
{
    // On the main thread the list manager is never in the middle of its own rebuild, so the record goes
    // in without waiting for `isBusy` to clear: at once from the main thread, on its next pass from any
    // other.
    const auto handOver = [weakPanel = std::weak_ptr<VTWindow>(std::static_pointer_cast<VTWindow>(sharedView())),
                           record] {
        const auto alive = weakPanel.lock();
        if (alive && alive->listManager_) {
            alive->listManager_->receivedNotification(record);
        }
    };
    if (NSThread::isMainThread()) {
        handOver();
    } else {
        NSRunLoop::performOnMainThread(handOver, false);
    }
}

void VTWindow::setShowingActions(bool showingActions)
{
    VT_ASSERT_MAIN_THREAD();
    if (showingActions == showingActions_) {
        return;
    }
    showingActions_ = showingActions;
    if (showingActions) {
        // The curl pictures the list as last committed: its rows are laid out and committed now, so that the
        // page shows them even if nothing has drawn the list since it loaded.
        holder_->layoutIfNeeded();
        CATransaction::flush();
        if (actions_) {
            actions_->removeFromSuperview();
        }
        actions_ = std::make_shared<VTActions>(content_->frame());
        actions_->setTarget(this);
        holder_->insertSubviewAboveSubview(actions_, content_.get());
        rotateActionsButton(kActionsButtonTurn);
    } else {
        actions_->removeFromSuperview();
        // Kept a little longer: the uncurl still draws the bar beneath the returning list.
        NSRunLoop::mainRunLoop().performAfterDelay(kActionsReleaseDelay, [bar = std::move(actions_)] {});
        actions_ = nullptr;
        rotateActionsButton(0);
    }
    addCurlTransition(showingActions);
}

void VTWindow::addCurlTransition(bool showingActions)
{
    auto transition = CATransition::animation();
    transition->setDelegate(std::weak_ptr<VTWindow>(std::static_pointer_cast<VTWindow>(sharedView())));
    transition->setDuration(kCurlDuration);
    transition->setRemovedOnCompletion(false);
    if (showingActions) {
        transition->setType(kCATransitionPageCurl);
        transition->setFillMode(kCAFillModeForwards);
        transition->setEndProgress(kCurlProgress);
    } else {
        transition->setType(kCATransitionPageUnCurl);
        transition->setFillMode(kCAFillModeBackwards);
        transition->setStartProgress(1 - kCurlProgress);
    }
    holder_->layer()->addAnimationForKey(transition, kCurlAnimationKey);
}

void VTWindow::rotateActionsButton(CGFloat angle)
{
    UIView::beginAnimationsContext("Rotate Button", nullptr);
    actionsButton_->setTransform(angle == 0 ? CGAffineTransformIdentity : CGAffineTransformMakeRotation(angle));
    UIView::commitAnimations();
}

void VTWindow::animationDidStopFinished(CAAnimation&, bool finished)
{
    if (finished && !showingActions_) {
        reloadContent();
    }
}

void VTWindow::actionItem()
{
    setShowingActions(!showingActions_);
}

void VTWindow::settingsItem()
{
    if (controller_) {
        controller_->launchAppWithIdentifier(kSettingsIdentifier);
    }
}

void VTWindow::clear()
{
    VT_ASSERT_MAIN_THREAD();
    if (listManager_) {
        listManager_->clear();
    }
    reloadContent();
    setShowingActions(false);
    if (controller_) {
        controller_->setShowWindow(false);
    }
}

void VTWindow::collapse()
{
    VT_ASSERT_MAIN_THREAD();
    if (listManager_) {
        listManager_->collapse();
    }
    setShowingActions(false);
}

void VTWindow::expand()
{
    VT_ASSERT_MAIN_THREAD();
    if (listManager_) {
        listManager_->expand();
    }
    setShowingActions(false);
}

// --- Close gestures ---

CGFloat VTWindow::bottomBand() const
{
    return metricsForOrientation(orientation_).bottomBand;
}

bool VTWindow::isInListZone(CGFloat y) const
{
    return y > kTopCapHeight && y < frame().size.height - bottomBand();
}

void VTWindow::closeFromGesture()
{
    touchMode_ = TouchMode::Closed;
    if (controller_) {
        controller_->setShowWindow(false);
    }
}

void VTWindow::touchesBeganWithEvent(const UITouchSet& touches, UIEvent*)
{
    if (touches.empty()) {
        return;
    }
    const CGFloat y = touches.front()->locationInView(this).y;
    savedTouch_ = static_cast<float>(y);
    if (y >= frame().size.height - bottomBand()) {
        touchMode_ = TouchMode::BottomBand;
    } else if (y > kTopCapHeight) {
        touchMode_ = TouchMode::InList;
    } else {
        touchMode_ = TouchMode::TopStrip;
    }
}

void VTWindow::touchesMovedWithEvent(const UITouchSet& touches, UIEvent*)
{
    if (touches.empty() || touchMode_ == TouchMode::Closed || touchMode_ == TouchMode::None) {
        return;
    }
    const CGFloat y = touches.front()->locationInView(this).y;
    if (isInListZone(y)) {
        if (touchMode_ == TouchMode::TopStrip) {
            touchMode_ = TouchMode::InList;
        } else if (touchMode_ == TouchMode::BottomBand) {
            touchMode_ = TouchMode::BottomThroughList;
        }
    }
    const bool fromBottom = touchMode_ == TouchMode::BottomBand || touchMode_ == TouchMode::BottomThroughList;
    if (fromBottom && savedTouch_ - y >= kPushToClose) {
        closeFromGesture();
    }
}

void VTWindow::touchesEndedWithEvent(const UITouchSet& touches, UIEvent*)
{
    const CGFloat y = touches.empty() ? savedTouch_ : touches.front()->locationInView(this).y;
    const bool closes = touchMode_ == TouchMode::TopStrip || touchMode_ == TouchMode::BottomBand
        || (touchMode_ == TouchMode::BottomThroughList && y < savedTouch_);
    touchMode_ = TouchMode::None;
    if (closes && controller_) {
        controller_->setShowWindow(false);
    }
}

void VTWindow::touchesCancelledWithEvent(const UITouchSet&, UIEvent*)
{
    touchMode_ = TouchMode::None;
}
