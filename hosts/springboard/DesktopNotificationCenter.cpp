#include "DesktopNotificationCenter.h"

#include "DesktopApplicationMatcher.h"
#include "DesktopNotificationText.h"
#include "NSString.h"
#include "NSTimer.h"
#include "SBAlertItemsController.h"

#include <algorithm>

DesktopNotificationCenter::DesktopNotificationCenter(Events events) : events_(std::move(events)) {}

DesktopNotificationCenter::~DesktopNotificationCenter()
{
    for (auto& [id, live] : live_) {
        if (live.expiry) {
            live.expiry->invalidate();
        }
        live.alert->setClickHandler(nullptr);
    }
}

std::uint32_t DesktopNotificationCenter::notify(const Request& request, const CPMessageReply& logged)
{
    const std::uint32_t id = request.replacesId != 0 ? request.replacesId : newId();
    const std::string identifier = notificationIdentifier(id, request.replacesId != 0);
    if (const auto replaced = live_.find(id); replaced != live_.end()) {
        (void)take(replaced); // the same notification goes on with new content: nothing to report
    }
    while (live_.size() >= kMaxLive) {
        closeOldest();
    }

    Live live = makeLive(request, id);
    initialise(live.alert, request, identifier, logged);
    SBAlertItemsController::sharedInstance()->activateAlertItem(live.alert);

    const bool heldBack = !isShownOrWaiting(*live.alert);
    live_.emplace(id, std::move(live));
    if (heldBack) {
        closeAfter(id, 0, CloseReason::Undefined);
    } else if (const double seconds = expirySeconds(request); seconds > 0) {
        closeAfter(id, seconds, CloseReason::Expired);
    }
    return id;
}

DesktopNotificationCenter::Live DesktopNotificationCenter::makeLive(const Request& request, std::uint32_t id)
{
    Live live;
    DesktopNotificationAlert::Look look;
    for (const Action& action : offeredActions(request.actions)) {
        look.actionLabels.push_back(action.label);
        live.actionKeys.push_back(action.key);
    }
    for (std::size_t i = 0; i + 1 < request.actions.size(); i += 2) {
        live.hasDefaultAction = live.hasDefaultAction || request.actions[i] == kDefaultActionKey;
    }
    look.silent = request.urgency == Urgency::Low || request.suppressSound;
    look.textTappable = live.hasDefaultAction;
    look.icon = request.icon;
    look.image = request.image;
    live.alert = std::make_shared<DesktopNotificationAlert>(std::move(look));
    live.alert->setClickHandler([this, id, alert = live.alert.get()](int button) { clicked(id, alert, button); });
    live.sequence = ++sequence_;
    return live;
}

void DesktopNotificationCenter::initialise(const std::shared_ptr<DesktopNotificationAlert>& alert,
                                           const Request& request, const std::string& identifier,
                                           const CPMessageReply& logged)
{
    const auto application =
        DesktopApplicationMatcher::applicationFor(DesktopNotificationText::truncated(request.appName, kMaxNameBytes),
                                                  DesktopNotificationText::truncated(request.desktopEntry,
                                                                                     kMaxDesktopEntryBytes));
    const auto body = NSString::stringWithString(pushBody(request));
    const std::vector<std::string> labels = alert->otherButtonTitles();
    const auto actionLabel = labels.empty() ? nullptr : NSString::stringWithString(labels.front());
    if (request.transient) {
        alert->initWithoutHooks(application, body, !labels.empty(), actionLabel);
        logged.succeed();
        return;
    }
    alert->setNotificationIdentifier(identifier);
    alert->setLogReceipt(logged);
    (void)SBRemoteLocalNotificationAlert::initWithApplication(alert, application, body, !labels.empty(), actionLabel);
    if (const auto untaken = alert->takeLogReceipt()) {
        untaken->succeed(); // nothing in the shell logs pushes
    }
}

bool DesktopNotificationCenter::close(std::uint32_t id)
{
    if (!live_.count(id)) {
        return false;
    }
    finish(id, CloseReason::Closed);
    return true;
}

std::string DesktopNotificationCenter::pushBody(const Request& request)
{
    const std::string summary = DesktopNotificationText::truncated(request.summary, kMaxSummaryBytes);
    const std::string_view markup = std::string_view(request.body).substr(0, kMaxMarkupBytes);
    const std::string body =
        DesktopNotificationText::truncated(DesktopNotificationText::plainText(markup), kMaxBodyBytes);
    if (summary.empty() || body.empty()) {
        return summary + body;
    }
    return summary + "\n" + body;
}

std::vector<DesktopNotificationCenter::Action> DesktopNotificationCenter::offeredActions(
    const std::vector<std::string>& actions)
{
    std::vector<Action> offered;
    for (std::size_t i = 0; i + 1 < actions.size() && offered.size() < kMaxActions; i += 2) {
        if (actions[i] == kDefaultActionKey) {
            continue; // the text is its button
        }
        std::string label = DesktopNotificationText::truncated(actions[i + 1], kMaxNameBytes);
        if (label.empty()) {
            label = DesktopNotificationText::truncated(actions[i], kMaxNameBytes);
        }
        offered.push_back({actions[i], std::move(label)});
    }
    return offered;
}

double DesktopNotificationCenter::expirySeconds(const Request& request)
{
    if (request.urgency == Urgency::Critical || request.expireTimeout <= 0) {
        return 0;
    }
    return request.expireTimeout / 1000.0;
}

bool DesktopNotificationCenter::isShownOrWaiting(const SBAlertItem& alert)
{
    const auto controller = SBAlertItemsController::sharedInstance();
    const auto& pending = controller->pendingItems();
    return controller->visibleItem().get() == &alert ||
           std::any_of(pending.begin(), pending.end(), [&](const auto& item) { return item.get() == &alert; });
}

std::uint32_t DesktopNotificationCenter::newId()
{
    do {
        ++lastId_;
    } while (lastId_ == 0 || live_.count(lastId_));
    return lastId_;
}

std::string DesktopNotificationCenter::notificationIdentifier(std::uint32_t id, bool replaces)
{
    const auto named = [](std::uint64_t number) { return "org.freedesktop.Notifications." + std::to_string(number); };
    if (const auto remembered = identifiers_.find(id); replaces && remembered != identifiers_.end()) {
        return named(remembered->second);
    }
    const std::uint64_t name = ++lastIdentifier_;
    identifiers_[id] = name;
    identifierOrder_.emplace_back(id, name);
    while (identifierOrder_.size() > kRememberedIdentifiers) {
        const auto [oldestId, oldestName] = identifierOrder_.front();
        identifierOrder_.pop_front();
        if (const auto oldest = identifiers_.find(oldestId); oldest != identifiers_.end() && oldest->second == oldestName) {
            identifiers_.erase(oldest);
        }
    }
    return named(name);
}

void DesktopNotificationCenter::closeAfter(std::uint32_t id, double seconds, CloseReason reason)
{
    live_.at(id).expiry = NSTimer::scheduledTimerWithTimeInterval(seconds, false, [this, id, reason](NSTimer& timer) {
        const auto live = live_.find(id);
        if (live != live_.end() && live->second.expiry.get() == &timer) {
            finish(id, reason);
        }
    });
}

void DesktopNotificationCenter::clicked(std::uint32_t id, const DesktopNotificationAlert* alert, int button)
{
    const auto found = live_.find(id);
    if (found == live_.end() || found->second.alert.get() != alert) {
        return;
    }
    const Live taken = take(found);
    const std::vector<std::string>& keys = taken.actionKeys;
    if (events_.actionInvoked && button == DesktopNotificationAlert::kTextTapped && taken.hasDefaultAction) {
        events_.actionInvoked(id, kDefaultActionKey);
    } else if (events_.actionInvoked && button >= 1 && static_cast<std::size_t>(button) <= keys.size()) {
        events_.actionInvoked(id, keys[static_cast<std::size_t>(button) - 1]);
    }
    if (events_.closed) {
        events_.closed(id, CloseReason::Dismissed);
    }
}

void DesktopNotificationCenter::closeOldest()
{
    const auto oldest = std::min_element(live_.begin(), live_.end(), [](const auto& a, const auto& b) {
        return a.second.sequence < b.second.sequence;
    });
    finish(oldest->first, CloseReason::Undefined);
}

DesktopNotificationCenter::Live DesktopNotificationCenter::take(std::map<std::uint32_t, Live>::iterator found)
{
    Live live = std::move(found->second);
    live_.erase(found);
    if (live.expiry) {
        live.expiry->invalidate();
    }
    live.alert->setClickHandler(nullptr);
    SBAlertItemsController::sharedInstance()->deactivateAlertItem(*live.alert);
    return live;
}

void DesktopNotificationCenter::finish(std::uint32_t id, CloseReason reason)
{
    (void)take(live_.find(id));
    if (events_.closed) {
        events_.closed(id, reason);
    }
}
