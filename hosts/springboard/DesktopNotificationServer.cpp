#include "DesktopNotificationServer.h"

#include <sdbus-c++/sdbus-c++.h>

#include <unistd.h>

#include <cstdint>
#include <map>
#include <vector>

namespace {

using CloseReason = DesktopNotificationCenter::CloseReason;
using Urgency = DesktopNotificationCenter::Urgency;

constexpr const char* kNotificationClosed = "NotificationClosed";
constexpr const char* kActionInvoked = "ActionInvoked";

const std::vector<std::string>& capabilities()
{
    static const std::vector<std::string> offered = {"actions", "body", "body-markup"};
    return offered;
}

std::string stringHint(const std::map<std::string, sdbus::Variant>& hints, const std::string& name)
{
    const auto hint = hints.find(name);
    return hint != hints.end() && hint->second.containsValueOfType<std::string>() ? hint->second.get<std::string>()
                                                                                  : std::string();
}

// The "urgency" hint is a byte; clients that send it as another integer type mean the same.
Urgency urgencyHint(const std::map<std::string, sdbus::Variant>& hints)
{
    const auto hint = hints.find("urgency");
    if (hint == hints.end()) {
        return Urgency::Normal;
    }
    const sdbus::Variant& value = hint->second;
    std::int64_t level = 1;
    if (value.containsValueOfType<std::uint8_t>()) {
        level = value.get<std::uint8_t>();
    } else if (value.containsValueOfType<std::int32_t>()) {
        level = value.get<std::int32_t>();
    } else if (value.containsValueOfType<std::uint32_t>()) {
        level = value.get<std::uint32_t>();
    }
    switch (level) {
    case 0:
        return Urgency::Low;
    case 2:
        return Urgency::Critical;
    default:
        return Urgency::Normal;
    }
}

void sendQuietly(const sdbus::MethodReply& reply)
{
    try {
        reply.send();
    } catch (const sdbus::Error&) {
        // the caller went away; nothing to answer
    }
}

} // namespace

DesktopNotificationServer::DesktopNotificationServer(std::optional<std::string> busAddress)
    : session_(std::move(busAddress)),
      center_({[this](std::uint32_t id, CloseReason reason) { emitClosed(id, reason); },
               [this](std::uint32_t id, const std::string& key) { emitActionInvoked(id, key); }})
{
}

DesktopNotificationServer::~DesktopNotificationServer()
{
    stop();
}

std::optional<NSError> DesktopNotificationServer::start()
{
    auto connection = session_.receivingConnection();
    if (!connection) {
        return connection.error();
    }
    try {
        // The object first, so that a client that sees the name can call it at once.
        object_ = sdbus::createObject(*connection.value(), kObjectPath);
        exportObject(*object_);
        connection.value()->requestName(kBusName);
        ownsName_ = true;
    } catch (const sdbus::Error& error) {
        object_.reset();
        if (error.getName() == "org.freedesktop.DBus.Error.FileExists" || error.getName() == "System.Error.EEXIST") {
            return NSError(std::string("another notification server owns ") + kBusName);
        }
        return NSError(std::string("cannot serve ") + kBusName + ": " + error.getMessage());
    }
    return std::nullopt;
}

void DesktopNotificationServer::stop()
{
    if (ownsName_) {
        ownsName_ = false;
        try {
            if (auto connection = session_.receivingConnection()) {
                connection.value()->releaseName(kBusName);
            }
        } catch (const sdbus::Error&) {
            // the bus is gone; the name went with it
        }
    }
    object_.reset();
}

void DesktopNotificationServer::exportObject(sdbus::IObject& object)
{
    object.registerMethod(
        kInterface, "Notify", "susssasa{sv}i",
        {"app_name", "replaces_id", "app_icon", "summary", "body", "actions", "hints", "expire_timeout"}, "u", {"id"},
        [this](sdbus::MethodCall call) { serve(call, [this](auto& c) { notify(c); }); });
    object.registerMethod(kInterface, "CloseNotification", "u", {"id"}, "", {},
                          [this](sdbus::MethodCall call) { serve(call, [this](auto& c) { closeNotification(c); }); });
    object.registerMethod(kInterface, "GetCapabilities", "", {}, "as", {"capabilities"},
                          [this](sdbus::MethodCall call) { serve(call, [this](auto& c) { getCapabilities(c); }); });
    object.registerMethod(
        kInterface, "GetServerInformation", "", {}, "ssss", {"name", "vendor", "version", "spec_version"},
        [this](sdbus::MethodCall call) { serve(call, [this](auto& c) { getServerInformation(c); }); });
    object.registerSignal(kInterface, kNotificationClosed, "uu", {"id", "reason"});
    object.registerSignal(kInterface, kActionInvoked, "us", {"id", "action_key"});
    object.finishRegistration();
}

template <class Handler>
void DesktopNotificationServer::serve(sdbus::MethodCall& call, Handler handler)
{
    try {
        const auto uid = session_.senderUid(call);
        if (!uid || *uid != geteuid()) {
            sendQuietly(call.createErrorReply(sdbus::Error(kRefusedError, "the caller runs as another user")));
            return;
        }
        handler(call);
    } catch (const sdbus::Error& error) {
        sendQuietly(call.createErrorReply(sdbus::Error("org.freedesktop.DBus.Error.InvalidArgs", error.getMessage())));
    }
}

void DesktopNotificationServer::notify(sdbus::MethodCall& call)
{
    DesktopNotificationCenter::Request request;
    std::string icon;
    std::map<std::string, sdbus::Variant> hints;
    call >> request.appName >> request.replacesId >> icon >> request.summary >> request.body >> request.actions;
    call >> hints >> request.expireTimeout;
    request.desktopEntry = stringHint(hints, "desktop-entry");
    request.urgency = urgencyHint(hints);
    const std::uint32_t id = center_.notify(request);
    auto reply = call.createReply();
    reply << id;
    sendQuietly(reply);
}

void DesktopNotificationServer::closeNotification(sdbus::MethodCall& call)
{
    std::uint32_t id = 0;
    call >> id;
    if (!center_.close(id)) {
        const std::string reason = "no notification " + std::to_string(id) + " is shown";
        sendQuietly(call.createErrorReply(sdbus::Error(kNotFoundError, reason)));
        return;
    }
    sendQuietly(call.createReply());
}

void DesktopNotificationServer::getCapabilities(sdbus::MethodCall& call)
{
    auto reply = call.createReply();
    reply << capabilities();
    sendQuietly(reply);
}

void DesktopNotificationServer::getServerInformation(sdbus::MethodCall& call)
{
    auto reply = call.createReply();
    reply << std::string("SpringBoard") << std::string("Vantle") << std::string(VANTLE_VERSION)
          << std::string(kProtocolVersion);
    sendQuietly(reply);
}

void DesktopNotificationServer::emitClosed(std::uint32_t id, CloseReason reason)
{
    emit(kNotificationClosed, id, static_cast<std::uint32_t>(reason));
}

void DesktopNotificationServer::emitActionInvoked(std::uint32_t id, const std::string& actionKey)
{
    emit(kActionInvoked, id, actionKey);
}

template <class... Arguments>
void DesktopNotificationServer::emit(const char* signal, const Arguments&... arguments)
{
    if (!object_) {
        return;
    }
    try {
        object_->emitSignal(signal).onInterface(kInterface).withArguments(arguments...);
    } catch (const sdbus::Error&) {
        // the bus is gone; nobody is left to hear it
    }
}
