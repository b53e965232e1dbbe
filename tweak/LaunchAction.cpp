#include "LaunchAction.h"

#include "DSDisplayController.h"
#include "NSDictionary.h"
#include "NSString.h"
#include "NSURL.h"
#include "PLWriter.h"
#include "SBApplication.h"
#include "SBCalendarAlertItem.h"
#include "SBRemoteNotificationServer.h"
#include "UIApplication.h"

namespace {

id copyOfString(const id& data)
{
    const auto string = as<NSString>(data);
    return string ? NSString::stringWithString(string->string()) : nullptr;
}

} // namespace

LaunchAction::LaunchAction(std::int32_t type, const id& data) : actionType_(type)
{
    switch (type) {
    case Application:
    case URL:
        info_ = copyOfString(data);
        break;
    case Alert:
        info_ = as<NSDictionary>(data) ? data : nullptr;
        break;
    case Event:
        info_ = as<SBCalendarAlertItem>(data) ? data : nullptr;
        break;
    default:
        break;
    }
    canLaunch_ = info_ != nullptr;
}

std::shared_ptr<LaunchAction> LaunchAction::actionWithType(std::int32_t type, const id& data)
{
    return std::make_shared<LaunchAction>(type, data);
}

void LaunchAction::launch() const
{
    if (!canLaunch_) {
        return;
    }
    switch (actionType_) {
    case Alert:
        launchAlert();
        break;
    case URL:
        openURL();
        break;
    case Event:
        revealEvent();
        break;
    case Application:
        activateApplication();
        break;
    default:
        break;
    }
}

void LaunchAction::launchAlert() const
{
    const auto data = as<NSDictionary>(info_);
    if (!data) {
        return;
    }
    SBRemoteNotificationServer::sharedInstance().remoteLocalNotificationAlertShouldLaunch(
        data->objectForKey("Alert"), data->objectForKey<SBApplication>("Application"));
}

void LaunchAction::openURL() const
{
    if (const auto text = as<NSString>(info_)) {
        UIApplication::sharedApplication()->openURL(NSURL::URLWithString(text->string()));
    }
}

void LaunchAction::revealEvent() const
{
    if (const auto item = as<SBCalendarAlertItem>(info_)) {
        item->revealEvent();
    }
}

void LaunchAction::activateApplication() const
{
    const auto identifier = as<NSString>(info_);
    if (!identifier) {
        return;
    }
    std::string target = identifier->string();
    if (const auto redirections = PLWriter::redirections()) {
        target = redirections->stringForKey(target).value_or(target);
    }
    DSDisplayController::sharedInstance().activateAppWithDisplayIdentifier(target, true);
}
