#include "Vantle.h"

#include "CFNotificationCenter.h"
#include "CKSMSMessage.h"
#include "DSDisplayController.h"
#include "HeapMemory.h"
#include "MSHookMessage.h"
#include "NSBundle.h"
#include "NSNumber.h"
#include "NSString.h"
#include "NSThread.h"
#include "ObjCClass.h"
#include "PLWriter.h"
#include "SBAlertItemsController.h"
#include "SBApplication.h"
#include "SBAwayController.h"
#include "SBAwayItem.h"
#include "SBAwayItemsView.h"
#include "SBCalendarAlertItem.h"
#include "SBCalendarController.h"
#include "SBDiskSpaceAlertItem.h"
#include "SBLowPowerAlertItem.h"
#include "SBRemoteLocalNotificationAlert.h"
#include "SBSMSAlertItem.h"
#include "SBUIController.h"
#include "SBVoiceMailAlertItem.h"
#include "SpringBoard-Vantle.h"
#include "SpringBoard.h"
#include "VTCapture.h"
#include "VTWindow.h"
#include "VTWindowController.h"

#include <string>

// The replacements of the shell's methods. Each is named after the class and selector it replaces; the
// shell's own implementation, returned when the replacement is installed, is kept in the saved pointer of the
// same name with a leading underscore. The saved pointers are plain pointers so that they are set up before
// any constructor of this library runs; they are filled once at load and live as long as the process.

namespace {

constexpr const char* kShellIdentifier = "com.apple.springboard";

std::string textOf(const std::shared_ptr<NSString>& text)
{
    return text ? text->string() : std::string();
}

bool deviceIsLocked()
{
    return SBAwayController::sharedAwayControllerIfExists() && SBAwayController::sharedAwayController()->isLocked();
}

// The bundle identifier of the application in front; empty on the home screen.
std::string foregroundIdentifier()
{
    const auto application = DSDisplayController::sharedInstance().activeApp();
    return application ? application->bundleIdentifier() : std::string();
}

// --- Start-up and host hooks ---

std::function<SpringBoard::NoteInterfaceOrientationChanged>* _SpringBoard$noteInterfaceOrientationChanged;
void $SpringBoard$noteInterfaceOrientationChanged(const std::shared_ptr<SpringBoard>& self, int orientation)
{
    (*_SpringBoard$noteInterfaceOrientationChanged)(self, orientation);
    const auto controller = VTWindowController::sharedController();
    controller->setOrientation(orientation);
    controller->setOrientation();
    if (const auto panel = controller->window()) {
        panel->setOrientation(orientation);
    }
}

std::function<SBAlertItemsController::ActivateAlertItem>* _SBAlertItemsController$activateAlertItem$;
void $SBAlertItemsController$activateAlertItem$(const std::shared_ptr<SBAlertItemsController>& self,
                                                const std::shared_ptr<SBAlertItem>& item)
{
    // The alert is held back, for good, when the capture that saw it said its screen may not show it.
    if (VTCapture::shared().takeGateDecision(deviceIsLocked())) {
        (*_SBAlertItemsController$activateAlertItem$)(self, item);
    }
}

std::function<SBAwayItemsView::InitWithFrame>* _SBAwayItemsView$initWithFrame$;
std::shared_ptr<SBAwayItemsView> $SBAwayItemsView$initWithFrame$(const std::shared_ptr<SBAwayItemsView>& self, CGRect frame)
{
    // Missed calls reach the user through the log; the lock screen's own list stays out of sight.
    const auto view = (*_SBAwayItemsView$initWithFrame$)(self, frame);
    if (view) {
        view->setHidden(true);
    }
    return view;
}

std::function<SBUIController::FinishLaunching>* _SBUIController$finishLaunching;
void $SBUIController$finishLaunching(const std::shared_ptr<SBUIController>& self)
{
    (*_SBUIController$finishLaunching)(self);
    VTWindowController::createController();
}

void deleteRecordsOnLaunch(const std::shared_ptr<SBApplication>& application)
{
    if (application && PLWriter::autoDeleteOnBadge()) {
        NSThread::detachNewThread([identifier = application->bundleIdentifier()] {
            PLWriter::deleteNotificationsForApplication(identifier);
        });
    }
}

std::function<SBUIController::ActivateApplication>* _SBUIController$activateApplicationAnimated$;
void $SBUIController$activateApplicationAnimated$(const std::shared_ptr<SBUIController>& self,
                                                  const std::shared_ptr<SBApplication>& application)
{
    deleteRecordsOnLaunch(application);
    (*_SBUIController$activateApplicationAnimated$)(self, application);
}

std::function<SBUIController::ActivateApplication>* _SBUIController$activateApplicationFromSwitcher$;
void $SBUIController$activateApplicationFromSwitcher$(const std::shared_ptr<SBUIController>& self,
                                                      const std::shared_ptr<SBApplication>& application)
{
    deleteRecordsOnLaunch(application);
    (*_SBUIController$activateApplicationFromSwitcher$)(self, application);
}

// --- Alert capture ---

std::function<SpringBoard::SetNowPlayingInfo>* _SpringBoard$setNowPlayingInfo$forApplication$;
void $SpringBoard$setNowPlayingInfo$forApplication$(const std::shared_ptr<SpringBoard>& self,
                                                   const std::shared_ptr<NSDictionary>& info,
                                                   const std::shared_ptr<SBApplication>& application)
{
    (*_SpringBoard$setNowPlayingInfo$forApplication$)(self, info, application);
    if (!info || !application) {
        return;
    }
    const auto playing = as<NSNumber>(info->objectForKey("isPlaying"));
    (void)VTCapture::shared().captureNowPlaying(application->bundleIdentifier(), playing && playing->boolValue(),
                                                info->stringForKey("title").value_or(""),
                                                info->stringForKey("artist").value_or(""), foregroundIdentifier(),
                                                deviceIsLocked());
}

std::function<SBSMSAlertItem::SetMessage>* _SBSMSAlertItem$setMessage$;
void $SBSMSAlertItem$setMessage$(const std::shared_ptr<SBSMSAlertItem>& self, const std::shared_ptr<CKSMSMessage>& message)
{
    (*_SBSMSAlertItem$setMessage$)(self, message);
    const auto outcome = VTCapture::shared().captureTextMessage(self->name(), self->messageText());
    if (outcome == VTCapture::Outcome::LoggedPlaySound && SBSMSAlertItem::shouldPlayMessageReceived()) {
        SBSMSAlertItem::playMessageReceived();
    }
}

std::function<SBCalendarAlertItem::InitWithDate>* _SBCalendarAlertItem$initWithDateAndTimezone$;
std::shared_ptr<SBCalendarAlertItem> $SBCalendarAlertItem$initWithDateAndTimezone$(
    const std::shared_ptr<SBCalendarAlertItem>& self, const std::shared_ptr<NSDate>& date,
    const std::shared_ptr<NSString>& timeZone, const std::shared_ptr<NSString>& title,
    const std::shared_ptr<NSString>& location, int eventId, bool isAllDay)
{
    const auto item = (*_SBCalendarAlertItem$initWithDateAndTimezone$)(self, date, timeZone, title, location, eventId, isAllDay);
    const auto outcome = VTCapture::shared().captureCalendarAlarm(textOf(title), textOf(location), item);
    if (outcome == VTCapture::Outcome::LoggedPlaySound) {
        SBCalendarController::sharedInstance()->playAlertSound();
    }
    return item;
}

std::function<SBLowPowerAlertItem::InitWithLevel>* _SBLowPowerAlertItem$initWithLevel$;
std::shared_ptr<SBLowPowerAlertItem> $SBLowPowerAlertItem$initWithLevel$(const std::shared_ptr<SBLowPowerAlertItem>& self,
                                                                          int level)
{
    const auto item = (*_SBLowPowerAlertItem$initWithLevel$)(self, level);
    (void)VTCapture::shared().captureLowBattery(level);
    return item;
}

std::function<SBDiskSpaceAlertItem::Init>* _SBDiskSpaceAlertItem$init;
std::shared_ptr<SBDiskSpaceAlertItem> $SBDiskSpaceAlertItem$init(const std::shared_ptr<SBDiskSpaceAlertItem>& self)
{
    const auto item = (*_SBDiskSpaceAlertItem$init)(self);
    (void)VTCapture::shared().captureLowDiskSpace();
    return item;
}

std::function<SBAwayItemsView::LabelForAwayItem>* _SBAwayItemsView$labelForAwayItem$;
std::shared_ptr<NSString> $SBAwayItemsView$labelForAwayItem$(const std::shared_ptr<SBAwayItemsView>& self,
                                                             const std::shared_ptr<SBAwayItem>& item, int count)
{
    if (item && item->date()) {
        (void)VTCapture::shared().captureAwayItem(item->type(), item->date()->timeIntervalSinceReferenceDate(),
                                                  item->title());
    }
    return (*_SBAwayItemsView$labelForAwayItem$)(self, item, count);
}

std::function<SBRemoteLocalNotificationAlert::InitWithApplication>* _SBRemoteLocalNotificationAlert$initWithApplication$;
std::shared_ptr<SBRemoteLocalNotificationAlert> $SBRemoteLocalNotificationAlert$initWithApplication$(
    const std::shared_ptr<SBRemoteLocalNotificationAlert>& self, const std::shared_ptr<SBApplication>& application,
    const std::shared_ptr<NSString>& body, bool showActionButton, const std::shared_ptr<NSString>& actionLabel)
{
    const auto alert = (*_SBRemoteLocalNotificationAlert$initWithApplication$)(self, application, body,
                                                                              showActionButton, actionLabel);
    (void)VTCapture::shared().capturePushNotification(application, textOf(body), alert,
                                                      alert ? alert->notificationIdentifier() : std::string(),
                                                      alert ? alert->takeLogReceipt().value_or(CPMessageReply())
                                                            : CPMessageReply());
    return alert;
}

std::function<SBVoiceMailAlertItem::InitWithTitle>* _SBVoiceMailAlertItem$initWithTitle$body$;
std::shared_ptr<SBVoiceMailAlertItem> $SBVoiceMailAlertItem$initWithTitle$body$(
    const std::shared_ptr<SBVoiceMailAlertItem>& self, const std::shared_ptr<NSString>& title,
    const std::shared_ptr<NSString>& body)
{
    const auto item = (*_SBVoiceMailAlertItem$initWithTitle$body$)(self, title, body);
    (void)VTCapture::shared().captureVoicemail();
    return item;
}

// Installs the replacement and keeps the shell's implementation in `saved`. A class or selector the
// running shell lacks is skipped (MSHookMessage says so on stderr); its saved pointer stays null and the
// replacement is never installed, so it never runs without the implementation it chains to.
template <class Sig>
void hook(const char* className, const char* selector, Sig* replacement, std::function<Sig>*& saved)
{
    auto previous = MSHookMessage<Sig>(ObjCClass::lookUp(className), selector, std::function<Sig>(replacement));
    if (previous) {
        saved = new std::function<Sig>(std::move(previous)); // lives as long as the hook: the process
    }
}

void installHooks()
{
    hook("SpringBoard", "noteInterfaceOrientationChanged:", $SpringBoard$noteInterfaceOrientationChanged,
         _SpringBoard$noteInterfaceOrientationChanged);
    hook("SpringBoard", "setNowPlayingInfo:forApplication:", $SpringBoard$setNowPlayingInfo$forApplication$,
         _SpringBoard$setNowPlayingInfo$forApplication$);
    hook("SBAlertItemsController", "activateAlertItem:", $SBAlertItemsController$activateAlertItem$,
         _SBAlertItemsController$activateAlertItem$);
    hook("SBSMSAlertItem", "setMessage:", $SBSMSAlertItem$setMessage$, _SBSMSAlertItem$setMessage$);
    hook("SBCalendarAlertItem", "initWithDate:timeZone:title:location:eventId:isAllDay:",
         $SBCalendarAlertItem$initWithDateAndTimezone$, _SBCalendarAlertItem$initWithDateAndTimezone$);
    hook("SBLowPowerAlertItem", "initWithLevel:", $SBLowPowerAlertItem$initWithLevel$, _SBLowPowerAlertItem$initWithLevel$);
    hook("SBDiskSpaceAlertItem", "init", $SBDiskSpaceAlertItem$init, _SBDiskSpaceAlertItem$init);
    hook("SBAwayItemsView", "_labelForAwayItem:count:", $SBAwayItemsView$labelForAwayItem$,
         _SBAwayItemsView$labelForAwayItem$);
    hook("SBAwayItemsView", "initWithFrame:", $SBAwayItemsView$initWithFrame$, _SBAwayItemsView$initWithFrame$);
    hook("SBUIController", "finishLaunching", $SBUIController$finishLaunching, _SBUIController$finishLaunching);
    hook("SBUIController", "activateApplicationAnimated:", $SBUIController$activateApplicationAnimated$,
         _SBUIController$activateApplicationAnimated$);
    hook("SBUIController", "activateApplicationFromSwitcher:", $SBUIController$activateApplicationFromSwitcher$,
         _SBUIController$activateApplicationFromSwitcher$);
    hook("SBRemoteLocalNotificationAlert", "initWithApplication:body:showActionButton:actionLabel:",
         $SBRemoteLocalNotificationAlert$initWithApplication$, _SBRemoteLocalNotificationAlert$initWithApplication$);
    hook("SBVoiceMailAlertItem", "initWithTitle:body:", $SBVoiceMailAlertItem$initWithTitle$body$,
         _SBVoiceMailAlertItem$initWithTitle$body$);
}

} // namespace

bool vantleRunning()
{
    return VTWindowController::sharedController()->isWindowShown();
}

extern "C" __attribute__((constructor)) void VantleInitialize()
{
    // Runs when the loader loads the library; a later call (a process that became the shell after loading
    // it, as a test does) hooks only if nothing was hooked yet, so no method is ever replaced twice.
    static bool hooked = false;
    if (hooked || NSBundle::mainBundle().bundleIdentifier() != kShellIdentifier) {
        return;
    }
    hooked = true;
    HeapMemory::keepLargeBlocksOutOfTheArenas(); // the log's buffers, freed, go back to the system
    installHooks();
    UIApplicationVantle::registerCategoryMethods();
    CFNotificationCenter::getDarwinNotifyCenter().addObserver(PLWriter::kLoadSettingsDarwinName, loadSettings);
}
