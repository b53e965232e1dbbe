#pragma once
// platform/springboard/SBShell.h
#include "CGGeometry.h"
#include "NSError.h"
#include "UIHostScreen.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class SBAlertItem;
class SBAlertPresenter;
class SBApplication;
class SBApplicationView;
class SBHomeScreenView;
class SBLockScreenView;
class SBStatusBarWindow;
class SBSwitcherView;
class UIImage;
class UIWindow;

// The simulated phone as a whole: what the network, the hardware and the user's finger do to the shell, a
// screenshot of its screen and a view of its state. The shell's own classes do the work (SBUIController,
// SBAlertItemsController, the alert items, SBAwayController, SBAwayItemsView, SpringBoard), and every
// method that a loaded library may replace is sent through the runtime, so the library's replacement runs.
//
// The screen, lowest window first: the screen itself (lock screen, home screen or the application in the
// foreground, level 0), the app switcher (level 1), the pop-up of an alert item (level 999), the status bar
// (level 1000). Libraries' windows sit between them by their levels (the notification panel at 990).
//
// An application brought forward while the device is locked (by a launch, the display stack or a
// notification) unlocks it first, as on a phone without a passcode.
//
// Everything runs on the main thread. One shell exists at a time: the host's (shared()), or one a test
// makes for itself; a new shell starts from a fresh state of the shell's classes (locked, no alert items,
// no foreground application, portrait).
//
// Beyond the operations the host exports, a shell offers: openSwitcher (the double press of the home
// button), a pointer held down (screen().touches()), state().batteryLevel and state().switcherShown.
class SBShell {
public:
    struct AlertInfo {
        std::string title;
        std::string message;
    };
    struct WindowInfo {
        double level = 0;
        std::string name;
    }; // name: "status bar", "lock screen", ...
    struct State {
        bool locked = true;
        std::optional<std::string> foreground; // bundle identifier, or none (home/lock screen)
        int orientation = 1; // 1..4 as the platform numbers them
        std::vector<std::string> statusBarImages; // names, in order
        std::vector<AlertInfo> alerts; // pop-ups on screen, oldest first
        std::vector<std::string> sounds; // sound names played since start, in order
        std::vector<WindowInfo> windows; // the visible windows, lowest level first
        int batteryLevel = 100; // percent
        bool switcherShown = false;
    };

    // The one shell of the process; created by the host after the injected libraries are loaded.
    static SBShell& shared();

    SBShell();
    ~SBShell();
    SBShell(const SBShell&) = delete;
    SBShell& operator=(const SBShell&) = delete;

    // Builds the screen (status bar, lock screen, home screen) and runs SBUIController finishLaunching through
    // the runtime (so a library's hook on it runs). The device starts locked. A second call does nothing.
    void finishLaunching();

    // What the network and the hardware do. Each returns an error (reason text) when it cannot be done,
    // e.g. a push for an application that is not installed, a launch of an unknown bundle identifier,
    // an orientation outside 1..4, a battery level outside 0..100, or any of them before finishLaunching.
    [[nodiscard]] std::optional<NSError> receiveTextMessage(const std::string& sender, const std::string& text);
    [[nodiscard]] std::optional<NSError> fireCalendarAlarm(
        const std::string& title, const std::optional<std::string>& location);
    // The battery's charge. Falling to or below 20, 10 or 5 percent raises the low-battery alert.
    [[nodiscard]] std::optional<NSError> reportBatteryLevel(int percent);
    [[nodiscard]] std::optional<NSError> reportLowDiskSpace();
    // date: seconds since 1970 (UTC); none means now. The call is listed on the lock screen until the next
    // unlock, and the list asks for its labels again.
    [[nodiscard]] std::optional<NSError> missCall(const std::string& caller, std::optional<double> unixDate);
    [[nodiscard]] std::optional<NSError> receivePushNotification(
        const std::string& bundleIdentifier, const std::string& body, bool local);
    [[nodiscard]] std::optional<NSError> receiveVoicemail();
    [[nodiscard]] std::optional<NSError> setNowPlaying(const std::string& bundleIdentifier, const std::string& title,
        const std::optional<std::string>& artist, bool playing);
    [[nodiscard]] std::optional<NSError> lock();
    // Unlocking clears the lock screen's list of missed calls.
    [[nodiscard]] std::optional<NSError> unlock();
    // Activator's listeners hear the press first (deactivation, then the event's own listener); only when
    // none takes it does the shell close the switcher or go home (nothing while locked).
    [[nodiscard]] std::optional<NSError> pressHome();
    // Launching while locked unlocks first. From the switcher: the switcher opens and the application is
    // chosen there ("activateApplicationFromSwitcher:").
    [[nodiscard]] std::optional<NSError> launch(const std::string& bundleIdentifier, bool fromSwitcher);
    [[nodiscard]] std::optional<NSError> rotate(int orientation);
    // Opens the app switcher with the recent applications (a double press of the home button while unlocked).
    [[nodiscard]] std::optional<NSError> openSwitcher();
    // A named Activator event, as if its gesture had been made; answers whether a listener handled it.
    bool sendActivatorEvent(const std::string& eventName);

    // The screen as the host drives it: the finger, in points of the 320 x 480 screen (portrait
    // coordinates), and pictures of it as the person holding the phone sees it: upright, so 480 x 320 points
    // in landscape (a host's window shows them; screenshots are them). Touches go to the topmost visible
    // window that takes them; a drag that starts in the status bar (y < 20) and moves down is the
    // status-bar swipe-down gesture, sent to Activator first. While a window of a loaded library lies
    // beneath the status bar at a point (the notification panel, open), the bar lets a touch there through.
    UIHostScreen& screen() { return screen_; }
    const UIHostScreen& screen() const { return screen_; }
    State state() const;
    // No job thread running, no animation in flight, no event or perform queued on the main run loop.
    bool isIdle() const;

private:
    // A new shell's starting state of the shell's classes: no alert items, not launched, portrait, no
    // lock-screen controller.
    static void resetShellClasses();
    // The shell's own windows (none before finishLaunching).
    std::vector<UIWindow*> shellWindows() const;
    std::optional<NSError> requireLaunched() const;
    std::optional<NSError> activate(const std::shared_ptr<SBAlertItem>& item) const;
    static std::shared_ptr<SBApplication> installedApplication(const std::string& bundleIdentifier);
    static std::optional<NSError> notInstalled(const std::string& bundleIdentifier);
    bool isLocked() const;
    std::string activatorMode() const;
    void buildWindows();
    void showCurrentScreen();
    void closeSwitcher();
    void layOutWindows() const;
    bool isShellWindow(const UIWindow* window) const;
    bool libraryWindowTakes(CGPoint screenPoint) const;
    std::string nameOfWindow(const UIWindow* window) const;

    bool launched_ = false;
    int orientation_ = 1;
    int batteryLevel_ = 100;
    std::size_t soundsBefore_ = 0;
    int nextEventId_ = 1;
    std::uint64_t activationToken_ = 0;
    UIHostScreen screen_;
    std::shared_ptr<UIWindow> screenWindow_;
    std::shared_ptr<SBLockScreenView> lockScreen_;
    std::shared_ptr<SBHomeScreenView> homeScreen_;
    std::shared_ptr<SBApplicationView> applicationScreen_;
    std::shared_ptr<UIWindow> switcherWindow_;
    std::shared_ptr<SBSwitcherView> switcher_;
    std::shared_ptr<SBStatusBarWindow> statusBarWindow_;
    std::unique_ptr<SBAlertPresenter> alertPresenter_;
};
