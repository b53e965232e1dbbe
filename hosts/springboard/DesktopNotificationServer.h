#pragma once

#include "DBusSession.h"
#include "DesktopNotificationCenter.h"
#include "NSError.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace sdbus {
class IConnection;
class IObject;
class MethodCall;
} // namespace sdbus

// The shell as the desktop's notification server: owns kBusName on the session bus and exports kObjectPath
// with kInterface, the freedesktop notifications protocol, version 1.2:
//
//   Notify (s app_name, u replaces_id, s app_icon, s summary, s body, as actions, a{sv} hints,
//           i expire_timeout) -> (u id)
//   CloseNotification (u id) -> ()                 an unknown id gets kNotFoundError
//   GetCapabilities () -> (as capabilities)        kCapabilities
//   GetServerInformation () -> (s name, s vendor, s version, s spec_version)
//   signal NotificationClosed (u id, u reason)     1 expired, 2 dismissed, 3 CloseNotification, 4 other
//   signal ActionInvoked (u id, s action_key)
//
// The signals are sent to the client that sent the notification (its latest sender, for one replaced), not
// to the whole bus. What a notification does on the phone is DesktopNotificationCenter's: the hints read
// are "desktop-entry" (a string), "urgency" (a byte), "suppress-sound" and "transient" (booleans; for these
// an integer of another type is taken too), and the pictures: app_icon is the icon, and the image is the
// first of "image-data", "image_data", "image-path", "image_path" and "icon_data" that reads (see
// DesktopNotificationImage). Calls from a process of another user are refused, as on every channel of the
// platform.
//
// The capabilities say what the phone really shows. "body" and "actions": the body, and the actions as
// buttons of the pop-up. "body-markup": the body is read as markup and shown as its text (the phone shows
// plain text); a server that left markup out of its capabilities would have to show a client's "<" and
// "&amp;" as they stand, so a client that marks up would show its tags. Hyperlinks and images are not
// offered: their text is kept, the links and pictures are not. "persistence": notifications are kept in the
// log after their pop-up has gone.
//
// Notify is answered once the notification's record is in the log (DesktopNotificationCenter completes its
// answer then), so a client that got its id knows its notification survives a crash; one that is not
// logged (transient) is answered at once. A record that cannot be written gets kFailedError with the reason
// and is not written later. Calls still waiting when the server stops get kFailedError.
//
// Main thread only: calls arrive on the main run loop, signals leave from it.
class DesktopNotificationServer {
public:
    static constexpr const char* kBusName = "org.freedesktop.Notifications";
    static constexpr const char* kObjectPath = "/org/freedesktop/Notifications";
    static constexpr const char* kInterface = "org.freedesktop.Notifications";
    static constexpr const char* kNotFoundError = "org.freedesktop.DBus.Error.InvalidArgs";
    static constexpr const char* kRefusedError = "org.freedesktop.DBus.Error.AccessDenied";
    static constexpr const char* kFailedError = "org.freedesktop.DBus.Error.Failed";
    static constexpr const char* kProtocolVersion = "1.2";

    // `busAddress` absent: the session bus of the environment (DBUS_SESSION_BUS_ADDRESS).
    explicit DesktopNotificationServer(std::optional<std::string> busAddress = std::nullopt);
    ~DesktopNotificationServer();
    DesktopNotificationServer(const DesktopNotificationServer&) = delete;
    DesktopNotificationServer& operator=(const DesktopNotificationServer&) = delete;

    // Exports the object, then takes the bus name: returns once the bus has made this connection its owner,
    // so a client that asks after start() finds it. Fails (and serves nothing) when there is no bus or when
    // another notification server owns the name (one whose process has ended is waited for).
    [[nodiscard]] std::optional<NSError> start();
    // Releases the name and withdraws the object. Also done on destruction.
    void stop();

private:
    void exportObject(sdbus::IObject& object);
    // Runs a call's handler; a refused caller, unreadable arguments or a caller gone away never escape.
    template <class Handler>
    void serve(sdbus::MethodCall& call, Handler handler);
    void notify(sdbus::MethodCall& call);
    void closeNotification(sdbus::MethodCall& call);
    void getCapabilities(sdbus::MethodCall& call);
    void getServerInformation(sdbus::MethodCall& call);
    void emitClosed(std::uint32_t id, DesktopNotificationCenter::CloseReason reason);
    void emitActionInvoked(std::uint32_t id, const std::string& actionKey);
    // Signals go to the client that sent the notification, not to the whole bus.
    template <class... Arguments>
    void emitTo(const std::string& destination, const char* signal, const Arguments&... arguments);

    // The Notify calls not answered yet, shared with their answers, which may come after this has ended.
    struct OpenCalls;

    DBusSession session_;
    std::unique_ptr<sdbus::IObject> object_;
    const std::shared_ptr<OpenCalls> openCalls_;
    bool ownsName_ = false;
    // The bus name of each live notification's client (its latest, for a replaced one).
    std::map<std::uint32_t, std::string> senders_;
    DesktopNotificationCenter center_;
};
