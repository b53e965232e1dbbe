#pragma once

#include "LAListener.h"
#include "Mutex.h"
#include "ThreadSafety.h"
#include "UIWindow.h"
#include "VTController.h"
#include "VTWindow.h"
#include "VTWindowLink.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

// The overlay window of the tweak: a full-screen window above the shell's own (level 990) carrying the
// notification panel and, beneath it, a black overlay that dims the screen. It is the one place where the
// panel is opened and closed: by the Activator gesture (listener "net.torvask.Vantle"), by plug-ins, by the
// panel's own gestures and buttons, and when an entry's application is launched. Opening slides the panel
// down from above the screen over 0.35 seconds while the overlay darkens to alpha 0.6; closing slides it
// back up, then hides the window and deactivates the panel. The controller also follows the interface
// orientation and hands newly logged records to the open panel's list manager.
//
// In-process notifications: "Vantle: Open Window" (observed) slides the panel in without counting it as
// shown; "Vantle: Window Opened" and "Vantle: Window Closed" (posted, with the controller as object)
// announce each opening and closing asked for through `setShowWindow`.
//
// One instance exists in the shell, made on the main thread by `createController` when the shell has
// finished launching, or by the first `sharedController`. Everything but `isWindowShown`, `sharedController`
// and `createController` is main thread only.
class VTWindowController final : public UIWindow, public LAListener, public VTController, public VTWindowLink {
public:
    struct Private {
        explicit Private() = default;
    };

    static constexpr UIWindowLevel kWindowLevel = 990;
    static constexpr const char* kListenerName = "net.torvask.Vantle";
    static constexpr const char* kOpenWindowNotification = "Vantle: Open Window";
    static constexpr const char* kWindowOpenedNotification = "Vantle: Window Opened";
    static constexpr const char* kWindowClosedNotification = "Vantle: Window Closed";
    static constexpr double kSlideDuration = 0.35;
    // The panel waits this far above its place while the window is closed.
    static constexpr CGFloat kParkedOffset = -480;
    static constexpr CGFloat kOverlayAlpha = 0.6;

    // The one controller, made on first use (320 x 480) on the main thread. Any thread: a job thread that
    // asks first has the main thread make it and waits, so the main thread must be running its loop (as it
    // does between events and inside JobThreadTracker::waitForAll) and the caller must hold no lock that the
    // main thread may be waiting for.
    static std::shared_ptr<VTWindowController> sharedController();
    // Makes the one controller if it does not exist yet. Called when the shell has finished launching.
    static void createController();
    // A controller as `sharedController` makes it: registered with Activator, observing "Vantle: Open
    // Window", with the log store's listener started and the settings loaded; its panel's list managers come
    // from `listManagers`. It does not become the shared one.
    static std::shared_ptr<VTWindowController> controllerWithFrame(CGRect frame,
                                                                   VTWindow::ListManagerFactory listManagers);
    // Makes the controller the shared one and the log store's link to the window (null drops both). For
    // tests, and for a host that starts over.
    static void setSharedController(std::shared_ptr<VTWindowController> controller);

    VTWindowController(Private, CGRect frame, VTWindow::ListManagerFactory listManagers);
    ~VTWindowController() override;

    // Resizes the overlay and centres it on the window, and gives the panel the window's size.
    void setFrame(CGRect frame) override;
    // Touches count wherever the overlay lies: turned for landscape, the window's own bounds cover only
    // the middle of the panel.
    bool pointInsideWithEvent(CGPoint point, UIEvent* event) override;

    // The panel; null until the first opening. (It hides UIView::window, which for a window is itself.)
    std::shared_ptr<VTWindow> window() const;
    // The panel, not retained.
    VTWindow* vantleWindow() const { return window().get(); }
    void setVantle(std::shared_ptr<VTWindow> panel);
    UIView& overlay() const { return *overlay_; }

    // VTController and VTWindowLink. `isWindowShown` is true from an opening request until a closing one,
    // without waiting for the slides; any thread.
    bool isWindowShown() const override { return shown_.load(); }
    // Opens or closes, and announces it; a request for the current state does nothing.
    void setShowWindow(bool show) override;
    void toggleWindow() override;
    // Closes without announcing it and asks the display stack to bring the application forward.
    void launchAppWithIdentifier(const std::string& bundleIdentifier) override;
    // A logged record, on the main thread: goes to the open panel's list manager; nowhere while closed.
    void addNotification(const std::shared_ptr<NSDictionary>& plainRecord) override;

    // The interface orientation last reported by the shell; storing it lays nothing out.
    std::int32_t orientation() const { return orientation_; }
    void setOrientation(std::int32_t orientation) { orientation_ = orientation; }
    // Lays the window out for the stored orientation (setOrientation2).
    void setOrientation();
    // Fades the panel out first, then lays out.
    void setOrientation1();
    // Rotates and sizes the window for the stored orientation (1 to 4, or 0, ±90, ±180 degrees; any other
    // value leaves rotation and frame alone), centres window and panel, fades the panel in and reloads its
    // table. The panel is told the orientation first, so that it lays itself out for the new one.
    void setOrientation2();

    // The slides. animateIn makes the panel on first use and activates it; the window is hidden and the
    // panel deactivated once a slide out has run to its end (not when an opening interrupts it).
    void animateIn();
    void animateOut();
    void didAnimateOut();
    // No sound is played.
    void playSound() {}

    // Activator (LAListener): an event or its abort toggles the panel and is marked handled; another
    // listener's event closes it; a deactivate event closes an open panel and is then marked handled.
    void receiveEvent(LAActivator& activator, LAEvent& event) override;
    void abortEvent(LAActivator& activator, LAEvent& event) override;
    void otherListenerDidHandleEvent(LAActivator& activator, LAEvent& event) override;
    void receiveDeactivateEvent(LAActivator& activator, LAEvent& event) override;

    std::string className() const override { return "VTWindowController"; }

private:
    std::shared_ptr<VTWindow> makePanel();
    void announce(const char* name);

    const VTWindow::ListManagerFactory listManagers_;
    mutable Mutex panelMutex_;
    std::shared_ptr<VTWindow> vantle_ VT_GUARDED_BY(panelMutex_);
    std::shared_ptr<UIView> overlay_;
    std::int32_t orientation_ = 0;
    std::atomic<bool> shown_{false};
};
