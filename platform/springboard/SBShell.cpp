#include "SBShell.h"

#include "CAAnimationScheduler.h"
#include "CKSMSMessage.h"
#include "DSDisplayController.h"
#include "JobThreadTracker.h"
#include "LAActivator.h"
#include "NSDate.h"
#include "NSNumber.h"
#include "NSRunLoop.h"
#include "NSString.h"
#include "NSTimeZone.h"
#include "SBAlertItemsController.h"
#include "SBAlertPresenter.h"
#include "SBApplicationController.h"
#include "SBApplicationView.h"
#include "SBAwayController.h"
#include "SBAwayItemsView.h"
#include "SBCalendarAlertItem.h"
#include "SBDiskSpaceAlertItem.h"
#include "SBHomeScreenView.h"
#include "SBInterfaceOrientation.h"
#include "SBLockScreenView.h"
#include "SBLowPowerAlertItem.h"
#include "SBRemoteLocalNotificationAlert.h"
#include "SBSMSAlertItem.h"
#include "SBSoundController.h"
#include "SBStatusBarWindow.h"
#include "SBSwitcherView.h"
#include "SBUIController.h"
#include "SBVoiceMailAlertItem.h"
#include "SpringBoard.h"
#include "UIApplication.h"
#include "UIRenderer.h"
#include "UIScreen.h"
#include "UIWindow.h"

#include <algorithm>
#include <array>

namespace {

constexpr CGFloat kSwitcherWindowLevel = 1;
// Falling to or below each of these raises the low-battery alert once.
constexpr std::array<int, 3> kLowBatteryWarnings = {20, 10, 5};

std::shared_ptr<NSString> text(const std::string& value) { return NSString::stringWithString(value); }

// How far the screen's picture turns clockwise to stand upright in an interface orientation: the shell turns
// its windows by a quarter clockwise for orientation 3, a quarter back for 4, half for 2.
int uprightQuarterTurns(int orientation)
{
    switch (orientation) {
    case 2:
        return 2;
    case 3:
        return -1;
    case 4:
        return 1;
    default:
        return 0;
    }
}

std::shared_ptr<UIWindow> makeScreenWindow(CGFloat level)
{
    auto window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    window->setWindowLevel(level);
    window->setOpaque(false);
    return window;
}

} // namespace

SBShell& SBShell::shared()
{
    static SBShell* const shell = new SBShell; // lives until exit: its windows outlive the statics
    return *shell;
}

SBShell::SBShell()
    : soundsBefore_(SBSoundController::sharedInstance().playedSounds().size())
{
    resetShellClasses();
}

SBShell::~SBShell()
{
    screen_.touches().cancelAllTouches();
    const auto alerts = SBAlertItemsController::sharedInstance();
    alerts->setPresenter(nullptr);
    alertPresenter_.reset();
    SBUIController::sharedInstance()->activationObservers().remove(activationToken_);
    for (UIWindow* window : shellWindows()) {
        window->setHidden(true);
    }
    resetShellClasses();
}

void SBShell::resetShellClasses()
{
    SBAlertItemsController::sharedInstance()->removeAllItems();
    SBUIController::sharedInstance()->reset();
    SpringBoard::sharedInstance()->reset();
    SBAwayController::releaseSharedAwayController();
}

std::vector<UIWindow*> SBShell::shellWindows() const
{
    if (!launched_) {
        return {};
    }
    return {screenWindow_.get(), switcherWindow_.get(), statusBarWindow_.get()};
}

void SBShell::finishLaunching()
{
    if (launched_) {
        return;
    }
    launched_ = true;
    SBAwayController::sharedAwayController()->setLocked(true);
    buildWindows();
    const auto alerts = SBAlertItemsController::sharedInstance();
    alertPresenter_ = std::make_unique<SBAlertPresenter>(*alerts);
    alerts->setPresenter(alertPresenter_.get());
    activationToken_ = SBUIController::sharedInstance()->activationObservers().add(
        [this](const SBUIController::Activation& activation) {
            // An application brought forward while locked (from the notification panel, say) unlocks the
            // device, as a phone without a passcode does.
            if (activation.application && isLocked()) {
                (void)unlock(); // cannot fail once launched
            }
            showCurrentScreen();
        });
    showCurrentScreen();
    SBUIController::sharedInstance()->finishLaunching();
}

void SBShell::buildWindows()
{
    screenWindow_ = makeScreenWindow(UIWindowLevelNormal);
    screenWindow_->setBackgroundColor(UIColor::blackColor());
    lockScreen_ = std::make_shared<SBLockScreenView>(SBAwayItemsView::initWithFrame(CGRectZero));
    lockScreen_->setUnlockHandler([this] { (void)unlock(); }); // unlocking from the lock screen cannot fail
    homeScreen_ = std::make_shared<SBHomeScreenView>(SBIconModel::sharedInstance());
    homeScreen_->setLaunchHandler([](const std::shared_ptr<SBApplication>& application) {
        SBUIController::sharedInstance()->activateApplicationAnimated(application);
    });
    applicationScreen_ = std::make_shared<SBApplicationView>();
    for (const std::shared_ptr<UIView>& view :
        std::vector<std::shared_ptr<UIView>>{homeScreen_, applicationScreen_, lockScreen_}) {
        screenWindow_->addSubview(view);
    }

    switcherWindow_ = makeScreenWindow(kSwitcherWindowLevel);
    switcher_ = std::make_shared<SBSwitcherView>();
    switcher_->setChooseHandler([this](const std::shared_ptr<SBApplication>& application) {
        closeSwitcher();
        if (application) {
            SBUIController::sharedInstance()->activateApplicationFromSwitcher(application);
        }
    });
    switcherWindow_->addSubview(switcher_);

    statusBarWindow_ = std::make_shared<SBStatusBarWindow>();
    statusBarWindow_->statusBar().setSwipeDownHandler([this] { sendActivatorEvent(LAActivator::kStatusBarSwipeDown); });
    statusBarWindow_->statusBar().setBatteryLevel(batteryLevel_);
    statusBarWindow_->setLetsTouchThrough([this](CGPoint screenPoint) { return libraryWindowTakes(screenPoint); });

    screenWindow_->setHidden(false);
    statusBarWindow_->setHidden(false);
    for (UIWindow* window : shellWindows()) {
        SBInterfaceOrientation::applyToWindow(*window, orientation_);
    }
}

void SBShell::showCurrentScreen()
{
    if (!launched_) {
        return;
    }
    const bool locked = isLocked();
    const auto foreground = DSDisplayController::sharedInstance().activeApp();
    lockScreen_->setHidden(!locked);
    homeScreen_->setHidden(locked || foreground != nullptr);
    applicationScreen_->setHidden(locked || foreground == nullptr);
    if (!locked && foreground && applicationScreen_->application() != foreground) {
        applicationScreen_->setApplication(foreground);
    }
    statusBarWindow_->statusBar().setLocked(locked);
    layOutWindows();
}

void SBShell::layOutWindows() const
{
    if (!launched_) {
        return;
    }
    for (const auto& view : std::vector<std::shared_ptr<UIView>>{lockScreen_, homeScreen_, applicationScreen_}) {
        view->setFrame(screenWindow_->bounds());
    }
    switcher_->setFrame(switcherWindow_->bounds());
}

bool SBShell::isShellWindow(const UIWindow* window) const
{
    const auto shell = shellWindows();
    if (std::find(shell.begin(), shell.end(), window) != shell.end()) {
        return true;
    }
    return alertPresenter_ && alertPresenter_->visibleAlert()
        && window == alertPresenter_->visibleAlert()->alertWindow();
}

// A window that a loaded library shows over the shell's screen (the notification panel, say) and that takes
// a touch at the point: the status bar then lets the touch through to it.
bool SBShell::libraryWindowTakes(CGPoint screenPoint) const
{
    for (UIWindow* window : UIScreen::mainScreen()->visibleWindows()) {
        if (window->windowLevel() >= UIWindowLevelStatusBar || isShellWindow(window)) {
            continue;
        }
        const CGPoint point
            = CGPointApplyAffineTransform(screenPoint, CGAffineTransformInvert(window->transformToSuperview()));
        if (window->hitTestWithEvent(point, nullptr) != nullptr) {
            return true;
        }
    }
    return false;
}

std::optional<NSError> SBShell::requireLaunched() const
{
    if (!launched_) {
        return NSError("the shell has not finished launching");
    }
    return std::nullopt;
}

std::optional<NSError> SBShell::activate(const std::shared_ptr<SBAlertItem>& item) const
{
    SBAlertItemsController::sharedInstance()->activateAlertItem(item);
    return std::nullopt;
}

std::shared_ptr<SBApplication> SBShell::installedApplication(const std::string& bundleIdentifier)
{
    return SBApplicationController::sharedInstance().applicationWithDisplayIdentifier(bundleIdentifier);
}

std::optional<NSError> SBShell::notInstalled(const std::string& bundleIdentifier)
{
    return NSError("no application with the bundle identifier \"" + bundleIdentifier + "\" is installed");
}

bool SBShell::isLocked() const
{
    const auto away = SBAwayController::sharedAwayControllerIfExists();
    return !away || away->isLocked();
}

std::string SBShell::activatorMode() const
{
    if (isLocked()) {
        return "lockscreen";
    }
    return DSDisplayController::sharedInstance().activeApp() ? "application" : "springboard";
}

std::optional<NSError> SBShell::receiveTextMessage(const std::string& sender, const std::string& message)
{
    if (auto error = requireLaunched()) {
        return error;
    }
    const auto item = std::make_shared<SBSMSAlertItem>();
    item->setMessage(std::make_shared<CKSMSMessage>(sender, message));
    return activate(item);
}

std::optional<NSError> SBShell::fireCalendarAlarm(const std::string& title, const std::optional<std::string>& location)
{
    if (auto error = requireLaunched()) {
        return error;
    }
    return activate(SBCalendarAlertItem::initWithDate(NSDate::date(), text(NSTimeZone::defaultTimeZoneName()),
        text(title), location ? text(*location) : nullptr, nextEventId_++, false));
}

std::optional<NSError> SBShell::reportBatteryLevel(int percent)
{
    if (auto error = requireLaunched()) {
        return error;
    }
    if (percent < 0 || percent > 100) {
        return NSError("a battery level is 0 to 100 percent, not " + std::to_string(percent));
    }
    const int previous = batteryLevel_;
    batteryLevel_ = percent;
    statusBarWindow_->statusBar().setBatteryLevel(percent);
    for (const int warning : kLowBatteryWarnings) {
        if (previous > warning && percent <= warning) {
            return activate(SBLowPowerAlertItem::initWithLevel(percent));
        }
    }
    return std::nullopt;
}

std::optional<NSError> SBShell::reportLowDiskSpace()
{
    if (auto error = requireLaunched()) {
        return error;
    }
    return activate(SBDiskSpaceAlertItem::init());
}

std::optional<NSError> SBShell::missCall(const std::string& caller, std::optional<double> unixDate)
{
    if (auto error = requireLaunched()) {
        return error;
    }
    if (caller.empty()) {
        return NSError("a missed call needs a caller");
    }
    const auto date = unixDate ? NSDate::dateWithTimeIntervalSince1970(*unixDate) : NSDate::date();
    const auto away = SBAwayController::sharedAwayController();
    away->addAwayItem(std::make_shared<SBAwayItem>(SBAwayItem::MissedCall, date, caller));
    lockScreen_->awayItemsView().setAwayItems(away->awayItems());
    return std::nullopt;
}

std::optional<NSError> SBShell::receivePushNotification(
    const std::string& bundleIdentifier, const std::string& body, bool local)
{
    if (auto error = requireLaunched()) {
        return error;
    }
    const auto application = installedApplication(bundleIdentifier);
    if (!application) {
        return notInstalled(bundleIdentifier);
    }
    return activate(SBRemoteLocalNotificationAlert::initWithApplication(
        application, text(body), true, text(local ? "Launch" : "View")));
}

std::optional<NSError> SBShell::receiveVoicemail()
{
    if (auto error = requireLaunched()) {
        return error;
    }
    return activate(SBVoiceMailAlertItem::initWithTitle(text("New Voicemail"), text("You have a new voicemail.")));
}

std::optional<NSError> SBShell::setNowPlaying(const std::string& bundleIdentifier, const std::string& title,
    const std::optional<std::string>& artist, bool playing)
{
    if (auto error = requireLaunched()) {
        return error;
    }
    const auto application = installedApplication(bundleIdentifier);
    if (!application) {
        return notInstalled(bundleIdentifier);
    }
    NSDictionary::Entries info{{"isPlaying", NSNumber::numberWithBool(playing)}, {"title", text(title)}};
    if (artist) {
        info["artist"] = text(*artist);
    }
    SpringBoard::sharedInstance()->setNowPlayingInfoForApplication(
        NSDictionary::dictionaryWithEntries(std::move(info)), application);
    return std::nullopt;
}

std::optional<NSError> SBShell::lock()
{
    if (auto error = requireLaunched()) {
        return error;
    }
    if (isLocked()) {
        return std::nullopt;
    }
    closeSwitcher();
    SBAwayController::sharedAwayController()->setLocked(true);
    lockScreen_->awayItemsView().reloadLabels();
    showCurrentScreen();
    return std::nullopt;
}

std::optional<NSError> SBShell::unlock()
{
    if (auto error = requireLaunched()) {
        return error;
    }
    if (!isLocked()) {
        return std::nullopt;
    }
    const auto away = SBAwayController::sharedAwayController();
    away->setLocked(false);
    away->removeAllAwayItems();
    lockScreen_->awayItemsView().setAwayItems({});
    showCurrentScreen();
    return std::nullopt;
}

std::optional<NSError> SBShell::pressHome()
{
    if (auto error = requireLaunched()) {
        return error;
    }
    LAActivator& activator = LAActivator::sharedInstance();
    const auto event = LAEvent::eventWithName(LAActivator::kMenuPressSingle, activatorMode());
    if (activator.sendDeactivateEventToListeners(event) || activator.sendEventToListener(event)) {
        return std::nullopt;
    }
    if (!switcherWindow_->isHidden()) {
        closeSwitcher();
    } else if (!isLocked() && DSDisplayController::sharedInstance().activeApp()) {
        SBUIController::sharedInstance()->returnToHomeScreen();
    }
    return std::nullopt;
}

std::optional<NSError> SBShell::launch(const std::string& bundleIdentifier, bool fromSwitcher)
{
    if (auto error = requireLaunched()) {
        return error;
    }
    const auto application = installedApplication(bundleIdentifier);
    if (!application) {
        return notInstalled(bundleIdentifier);
    }
    if (auto error = unlock()) {
        return error;
    }
    if (!fromSwitcher) {
        SBUIController::sharedInstance()->activateApplicationAnimated(application);
        return std::nullopt;
    }
    if (auto error = openSwitcher()) {
        return error;
    }
    closeSwitcher();
    SBUIController::sharedInstance()->activateApplicationFromSwitcher(application);
    return std::nullopt;
}

std::optional<NSError> SBShell::openSwitcher()
{
    if (auto error = requireLaunched()) {
        return error;
    }
    if (isLocked()) {
        return NSError("the switcher does not open while the device is locked");
    }
    switcher_->setApplications(SBUIController::sharedInstance()->recentApplications());
    switcherWindow_->setHidden(false);
    layOutWindows();
    return std::nullopt;
}

void SBShell::closeSwitcher()
{
    if (switcherWindow_) {
        switcherWindow_->setHidden(true);
    }
}

std::optional<NSError> SBShell::rotate(int orientation)
{
    if (auto error = requireLaunched()) {
        return error;
    }
    if (!SBInterfaceOrientation::isValid(orientation)) {
        return NSError("an interface orientation is 1 to 4, not " + std::to_string(orientation));
    }
    orientation_ = orientation;
    screen_.setUprightQuarterTurns(uprightQuarterTurns(orientation));
    for (UIWindow* window : shellWindows()) {
        SBInterfaceOrientation::applyToWindow(*window, orientation);
    }
    alertPresenter_->setOrientation(orientation);
    layOutWindows();
    SpringBoard::sharedInstance()->noteInterfaceOrientationChanged(orientation);
    return std::nullopt;
}

bool SBShell::sendActivatorEvent(const std::string& eventName)
{
    return LAActivator::sharedInstance().sendEventToListener(LAEvent::eventWithName(eventName, activatorMode()));
}

SBShell::State SBShell::state() const
{
    State state;
    state.locked = isLocked();
    if (const auto foreground = DSDisplayController::sharedInstance().activeApp(); foreground && !state.locked) {
        state.foreground = foreground->bundleIdentifier();
    }
    state.orientation = orientation_;
    state.statusBarImages = UIApplication::sharedApplication()->statusBarImageNames();
    if (alertPresenter_ && alertPresenter_->visibleAlert() != nullptr) {
        state.alerts.push_back({alertPresenter_->visibleAlert()->title(), alertPresenter_->visibleAlert()->message()});
    }
    const auto sounds = SBSoundController::sharedInstance().playedSounds();
    state.sounds.assign(
        sounds.begin() + static_cast<std::ptrdiff_t>(std::min(soundsBefore_, sounds.size())), sounds.end());
    for (const UIWindow* window : UIScreen::mainScreen()->visibleWindows()) {
        state.windows.push_back({window->windowLevel(), nameOfWindow(window)});
    }
    state.batteryLevel = batteryLevel_;
    state.switcherShown = switcherWindow_ && !switcherWindow_->isHidden();
    return state;
}

std::string SBShell::nameOfWindow(const UIWindow* window) const
{
    if (window == screenWindow_.get()) {
        if (isLocked()) {
            return "lock screen";
        }
        return DSDisplayController::sharedInstance().activeApp() ? "application" : "home screen";
    }
    if (window == switcherWindow_.get()) {
        return "app switcher";
    }
    if (window == statusBarWindow_.get()) {
        return "status bar";
    }
    if (alertPresenter_ && alertPresenter_->visibleAlert()
        && window == alertPresenter_->visibleAlert()->alertWindow()) {
        return "alert";
    }
    return window->className();
}

bool SBShell::isIdle() const
{
    return JobThreadTracker::runningCount() == 0 && !CAAnimationScheduler::shared().hasRunningAnimations()
        && !NSRunLoop::mainRunLoop().hasWorkDue();
}
