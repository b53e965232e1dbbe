#pragma once

#include "CPMessageReply.h"
#include "DesktopNotificationAlert.h"

#include <cstddef>
#include <deque>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class NSTimer;
class UIImage;

// The desktop notifications the shell shows, in the terms of the freedesktop notifications protocol but
// without the bus (DesktopNotificationServer carries them). Each notification becomes a push notification
// of the shell: a DesktopNotificationAlert for the application DesktopApplicationMatcher finds, with the
// summary and the body on two lines as its body (so it is logged and shown as a push is), activated through
// SBAlertItemsController like every alert. A transient notification is shown the same way but made without
// the push's initialiser, so nothing that logs pushes sees it. A replacement (replacesId) carries the
// notification identifier of the notification it replaces, so that it updates what was logged of it; the
// identifiers of the last kRememberedIdentifiers notifications are kept. Main thread only.
//
// A notification is "live" from notify() until it is closed, and then reported once through Events::closed:
//   - Expired: its expire timeout passed (on the run loop's clock). A timeout of -1 (the server's choice)
//     or 0 never expires, as the phone's pop-ups stay until dismissed; nor does a critical one.
//   - Dismissed: the user tapped a button of its pop-up; an action button first reports actionInvoked with
//     the action's key. The "default" action has no button: a tap on the pop-up's text invokes it.
//   - Closed: close() (the client's CloseNotification).
//   - Undefined: the shell held its pop-up back (the settings may) or it gave way to newer notifications
//     beyond kMaxLive. Its record is logged all the same.
// Its pop-up, shown or waiting its turn, is taken away when it closes by any way but a tap. Replacing a live
// notification (replacesId) takes its pop-up away without closing it and shows the new content.
//
// Hostile input is cut down before anything is shown or logged: texts to the k…Bytes limits (well-formed
// UTF-8, ending "…" when cut), markup past kMaxMarkupBytes is not read, actions past kMaxActions are not
// offered. Events come from inside notify() (another notification giving way), close() and the run loop;
// a held-back pop-up's close is reported on the run loop, once notify() has returned its id.
class DesktopNotificationCenter {
public:
    enum class CloseReason : std::uint32_t { Expired = 1, Dismissed = 2, Closed = 3, Undefined = 4 };
    enum class Urgency : std::uint8_t { Low = 0, Normal = 1, Critical = 2 };

    struct Request {
        std::string appName;
        std::uint32_t replacesId = 0;
        std::string summary;               // plain text
        std::string body;                  // markup
        std::vector<std::string> actions;  // key, label, key, label, ...
        std::string desktopEntry;          // the "desktop-entry" hint
        Urgency urgency = Urgency::Normal; // the "urgency" hint
        bool suppressSound = false;        // the "suppress-sound" hint
        bool transient = false;            // the "transient" hint: shown, not logged
        std::shared_ptr<UIImage> icon;     // the application's icon beside the title
        std::shared_ptr<UIImage> image;    // the picture beside the text
        std::int32_t expireTimeout = -1;   // milliseconds
    };

    struct Events {
        std::function<void(std::uint32_t id, CloseReason reason)> closed;
        std::function<void(std::uint32_t id, const std::string& actionKey)> actionInvoked;
    };

    static constexpr std::size_t kMaxSummaryBytes = 256;
    static constexpr std::size_t kMaxBodyBytes = 1024;
    static constexpr std::size_t kMaxMarkupBytes = 64 * 1024;
    static constexpr std::size_t kMaxNameBytes = 64; // the application name and each action's label
    static constexpr std::size_t kMaxDesktopEntryBytes = 255;
    static constexpr std::size_t kMaxActions = 3;
    static constexpr std::size_t kMaxLive = 100;
    static constexpr std::size_t kRememberedIdentifiers = 1024;
    // The action invoked by a tap on the pop-up's text.
    static constexpr const char* kDefaultActionKey = "default";

    explicit DesktopNotificationCenter(Events events);
    ~DesktopNotificationCenter();
    DesktopNotificationCenter(const DesktopNotificationCenter&) = delete;
    DesktopNotificationCenter& operator=(const DesktopNotificationCenter&) = delete;

    // Shows and logs the notification; answers its id (replacesId when that is not 0). `logged` is completed
    // once the notification's record is kept by whoever logs pushes (an error when it cannot be), and at once
    // when nothing logs it (a transient notification, or no library in the shell logs pushes).
    std::uint32_t notify(const Request& request, const CPMessageReply& logged = CPMessageReply());
    // Closes a live notification with CloseReason::Closed; false when there is none with this id.
    bool close(std::uint32_t id);
    std::size_t liveCount() const { return live_.size(); }

    // The push body of a notification: the summary and the body on lines of their own (either alone when
    // the other is empty), reduced and cut as said above.
    static std::string pushBody(const Request& request);

private:
    struct Live {
        std::shared_ptr<DesktopNotificationAlert> alert;
        std::shared_ptr<NSTimer> expiry;
        std::vector<std::string> actionKeys;
        bool hasDefaultAction = false;
        std::uint64_t sequence = 0;
    };
    struct Action {
        std::string key;
        std::string label;
    };

    // The notification's pop-up, not yet initialised, with the actions it offers.
    Live makeLive(const Request& request, std::uint32_t id);
    static void initialise(const std::shared_ptr<DesktopNotificationAlert>& alert, const Request& request,
                           const std::string& identifier, const CPMessageReply& logged);
    static std::vector<Action> offeredActions(const std::vector<std::string>& actions);
    static double expirySeconds(const Request& request);
    static bool isShownOrWaiting(const SBAlertItem& alert);

    std::uint32_t newId();
    // The notification identifier of the alert for `id`: the replaced notification's when there is one
    // still remembered, a new one otherwise.
    std::string notificationIdentifier(std::uint32_t id, bool replaces);
    void closeAfter(std::uint32_t id, double seconds, CloseReason reason);
    void clicked(std::uint32_t id, const DesktopNotificationAlert* alert, int button);
    void closeOldest();
    // Removes a live notification: its timer stops, its pop-up goes and its clicks are no longer heard.
    Live take(std::map<std::uint32_t, Live>::iterator live);
    void finish(std::uint32_t id, CloseReason reason);

    const Events events_;
    std::map<std::uint32_t, Live> live_;
    std::uint32_t lastId_ = 0;
    std::uint64_t sequence_ = 0;
    std::uint64_t lastIdentifier_ = 0;
    std::map<std::uint32_t, std::uint64_t> identifiers_; // id -> the number in its notification identifier
    std::deque<std::pair<std::uint32_t, std::uint64_t>> identifierOrder_; // oldest first
};
