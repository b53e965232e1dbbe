#pragma once

#include "LAEvent.h"
#include "LAListener.h"
#include "Mutex.h"
#include "NSError.h"
#include "NSFileManager.h"
#include "ThreadSafety.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The gesture library: listeners registered by name, and which listener each event goes to.
//
// The assignments (event name -> listener name, one listener per event) live in Activator's own preference
// file on the device, kAssignmentsPath, a dictionary of strings. A missing or unreadable file means no
// assignments (unreadable also writes a line to stderr). Changes are written whole and atomically and then
// announced with the Darwin notification kAssignmentsChangedNotification; every LAActivator, in every
// process, re-reads the file when it arrives (on the main loop). The shell registers listeners and sends
// events; the Settings app's gesture page assigns events to a listener by name, which need not be
// registered in that process.
//
// Listeners are not retained: a listener that has gone away is skipped. Listener calls are made on the
// calling thread (the shell's main thread) without any lock held, so a listener may register, unregister or
// send from inside a call. The other members are safe from any thread.
class LAActivator {
public:
    static constexpr const char* kAssignmentsPath = "/var/mobile/Library/Preferences/libactivator.plist";
    static constexpr const char* kAssignmentsChangedNotification = "libactivator.assignments.changed";

    // Status bar.
    static constexpr const char* kStatusBarSwipeDown = "libactivator.statusbar.swipe.down";
    static constexpr const char* kStatusBarTapDouble = "libactivator.statusbar.tap.double";
    static constexpr const char* kStatusBarHold = "libactivator.statusbar.hold";
    // Home button.
    static constexpr const char* kMenuPressSingle = "libactivator.menu.press.single";
    static constexpr const char* kMenuPressDouble = "libactivator.menu.press.double";
    static constexpr const char* kMenuHoldShort = "libactivator.menu.hold.short";
    // Sleep/wake button.
    static constexpr const char* kLockPressSingle = "libactivator.lock.press.single";
    static constexpr const char* kLockPressDouble = "libactivator.lock.press.double";
    static constexpr const char* kLockHoldShort = "libactivator.lock.hold.short";
    // Home screen.
    static constexpr const char* kSpringBoardPinch = "libactivator.springboard.pinch";
    static constexpr const char* kSpringBoardSpread = "libactivator.springboard.spread";
    // Motion.
    static constexpr const char* kMotionShake = "libactivator.motion.shake";

    static LAActivator& sharedInstance();

    // An instance over the given file manager, reading the assignments now and re-reading them whenever the
    // assignments change. The process's instance is sharedInstance(); tests make their own.
    explicit LAActivator(NSFileManager& files = NSFileManager::defaultManager());
    ~LAActivator();
    LAActivator(const LAActivator&) = delete;
    LAActivator& operator=(const LAActivator&) = delete;

    // Registers the listener under the name, replacing one registered under it before. Not retained.
    void registerListener(std::weak_ptr<LAListener> listener, const std::string& name);
    void unregisterListenerWithName(const std::string& name);
    // The names of the registered listeners that still exist, sorted.
    std::vector<std::string> availableListenerNames() const;

    // The events the shell sends, grouped as the gesture page shows them (status bar first).
    std::vector<std::string> availableEventNames() const;
    // "Swipe Down"; the event name itself for an event this library does not know.
    std::string localizedTitleForEventName(const std::string& eventName) const;
    // "Status Bar"; empty for an event this library does not know.
    std::string localizedGroupForEventName(const std::string& eventName) const;

    std::optional<std::string> assignedListenerNameForEvent(const std::string& eventName) const;
    // The events assigned to the listener, sorted.
    std::vector<std::string> eventsAssignedToListenerWithName(const std::string& listenerName) const;

    // Assigns the event to the listener (taking it from any other), writes the file and announces the
    // change. On failure nothing changes, here or on disk. An unreadable file is moved aside before it is
    // replaced, so nothing is destroyed.
    [[nodiscard]] std::optional<NSError> assignEvent(const std::string& eventName, const std::string& listenerName);
    // Removes the event's assignment, if any, as assignEvent writes it.
    [[nodiscard]] std::optional<NSError> unassignEvent(const std::string& eventName);
    // Reads the assignments from the file again.
    void reloadAssignments();

    // The listener assigned to the event's name receives it; when it marks the event handled, every other
    // registered listener hears otherListenerDidHandleEvent. Answers whether the event was handled; an
    // event without a (living) assigned listener is not.
    bool sendEventToListener(const std::shared_ptr<LAEvent>& event);
    // The shell aborts an event in progress: the assigned listener gets abortEvent.
    void sendAbortToListener(const std::shared_ptr<LAEvent>& event);
    // Each registered listener, in name order, gets receiveDeactivateEvent until one marks the event
    // handled. Answers whether one did.
    bool sendDeactivateEventToListeners(const std::shared_ptr<LAEvent>& event);

private:
    using Assignments = std::map<std::string, std::string>;
    struct NamedListener {
        std::string name;
        std::shared_ptr<LAListener> listener;
    };

    Assignments readAssignments() const;
    // Reads the file afresh, applies `change`, and writes and announces the result if it differs.
    [[nodiscard]] std::optional<NSError> rewriteAssignments(const std::function<void(Assignments&)>& change);
    std::shared_ptr<LAListener> assignedListener(const std::string& eventName) const;
    // The living registered listeners in name order.
    std::vector<NamedListener> livingListeners() const;

    NSFileManager& files_;
    // Serialises read-modify-write cycles of the file within the process.
    Mutex rewriting_;
    mutable Mutex mutex_;
    std::map<std::string, std::weak_ptr<LAListener>> listeners_ VT_GUARDED_BY(mutex_);
    Assignments assignments_ VT_GUARDED_BY(mutex_);
};
