#include "DesktopNotificationServer.h"

#include "DesktopNotificationImage.h"
#include "NSRunLoop.h"

#include <sdbus-c++/sdbus-c++.h>

#include <unistd.h>

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace {

using CloseReason = DesktopNotificationCenter::CloseReason;
using Urgency = DesktopNotificationCenter::Urgency;

constexpr const char* kNotificationClosed = "NotificationClosed";
constexpr const char* kActionInvoked = "ActionInvoked";

const std::vector<std::string>& capabilities()
{
    static const std::vector<std::string> offered = {"actions", "body", "body-markup", "persistence"};
    return offered;
}

std::string stringHint(const std::map<std::string, sdbus::Variant>& hints, const std::string& name)
{
    const auto hint = hints.find(name);
    return hint != hints.end() && hint->second.containsValueOfType<std::string>() ? hint->second.get<std::string>()
                                                                                  : std::string();
}

// An integer hint of whichever type the client chose (the protocol's byte, or a boolean or a 32-bit integer
// as some clients send them), or `absent`.
std::int64_t integerHint(const std::map<std::string, sdbus::Variant>& hints, const std::string& name,
                         std::int64_t absent)
{
    const auto hint = hints.find(name);
    if (hint == hints.end()) {
        return absent;
    }
    const sdbus::Variant& value = hint->second;
    if (value.containsValueOfType<bool>()) {
        return value.get<bool>() ? 1 : 0;
    }
    if (value.containsValueOfType<std::uint8_t>()) {
        return value.get<std::uint8_t>();
    }
    if (value.containsValueOfType<std::int32_t>()) {
        return value.get<std::int32_t>();
    }
    if (value.containsValueOfType<std::uint32_t>()) {
        return value.get<std::uint32_t>();
    }
    return absent;
}

bool booleanHint(const std::map<std::string, sdbus::Variant>& hints, const std::string& name)
{
    return integerHint(hints, name, 0) != 0;
}

using RawImage = sdbus::Struct<std::int32_t, std::int32_t, std::int32_t, bool, std::int32_t, std::int32_t,
                               std::vector<std::uint8_t>>;

std::shared_ptr<UIImage> rawImageHint(const std::map<std::string, sdbus::Variant>& hints, const std::string& name)
{
    const auto hint = hints.find(name);
    if (hint == hints.end() || !hint->second.containsValueOfType<RawImage>()) {
        return nullptr;
    }
    const auto image = hint->second.get<RawImage>();
    return DesktopNotificationImage::fromPixels(image.get<0>(), image.get<1>(), image.get<2>(), image.get<3>(),
                                                image.get<4>(), image.get<5>(), image.get<6>());
}

// The image beside the text, in the protocol's order of precedence (its deprecated names after the current
// ones); the application's icon is apart.
std::shared_ptr<UIImage> imageHint(const std::map<std::string, sdbus::Variant>& hints)
{
    for (const char* name : {"image-data", "image_data"}) {
        if (auto image = rawImageHint(hints, name)) {
            return image;
        }
    }
    for (const char* name : {"image-path", "image_path"}) {
        if (auto image = DesktopNotificationImage::fromPathOrIconName(stringHint(hints, name))) {
            return image;
        }
    }
    return rawImageHint(hints, "icon_data");
}

Urgency urgencyHint(const std::map<std::string, sdbus::Variant>& hints)
{
    switch (integerHint(hints, "urgency", 1)) {
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

// Main thread only.
struct DesktopNotificationServer::OpenCalls {
    struct Call {
        sdbus::MethodCall call;
        std::uint32_t id = 0;
    };
    std::map<std::uint64_t, Call> waiting;
    std::uint64_t lastNumber = 0;

    void answer(std::uint64_t number, const std::optional<CPMessagingError>& error)
    {
        const auto found = waiting.find(number);
        if (found == waiting.end()) {
            return;
        }
        const Call open = std::move(found->second);
        waiting.erase(found);
        if (error) {
            sendQuietly(open.call.createErrorReply(sdbus::Error(kFailedError, error->reason())));
            return;
        }
        auto reply = open.call.createReply();
        reply << open.id;
        sendQuietly(reply);
    }

    void failAll(const std::string& reason)
    {
        for (auto& [number, open] : std::exchange(waiting, {})) {
            sendQuietly(open.call.createErrorReply(sdbus::Error(kFailedError, reason)));
        }
    }
};

DesktopNotificationServer::DesktopNotificationServer(std::optional<std::string> busAddress)
    : session_(std::move(busAddress)),
      openCalls_(std::make_shared<OpenCalls>()),
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
        if (const auto owner = DBusSession::requestName(*connection.value(), kBusName)) {
            object_.reset();
            return NSError(std::string("another notification server owns ") + kBusName + " (pid " +
                           std::to_string(*owner) + ")");
        }
        ownsName_ = true;
    } catch (const sdbus::Error& error) {
        object_.reset();
        return NSError(std::string("cannot serve ") + kBusName + ": " + error.getMessage());
    }
    return std::nullopt;
}

void DesktopNotificationServer::stop()
{
    openCalls_->failAll("the notification server stopped before the notification was logged");
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
    request.icon = DesktopNotificationImage::fromPathOrIconName(icon);
    request.image = imageHint(hints);
    request.desktopEntry = stringHint(hints, "desktop-entry");
    request.urgency = urgencyHint(hints);
    request.suppressSound = booleanHint(hints, "suppress-sound");
    request.transient = booleanHint(hints, "transient");
    const std::uint64_t number = ++openCalls_->lastNumber;
    openCalls_->waiting.emplace(number, OpenCalls::Call{call, 0});
    // Answered on a later turn of the main loop, whichever thread completes it, so never before the id is known.
    const CPMessageReply logged([calls = std::weak_ptr<OpenCalls>(openCalls_), number](std::optional<CPMessagingError> error) {
        NSRunLoop::mainRunLoop().performBlock([calls, number, error = std::move(error)] {
            if (const auto open = calls.lock()) {
                open->answer(number, error);
            }
        });
    });
    const std::uint32_t id = center_.notify(request, logged);
    openCalls_->waiting.at(number).id = id;
    senders_[id] = call.getSender();
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
    const auto sender = senders_.find(id);
    if (sender == senders_.end()) {
        return;
    }
    const std::string destination = std::move(sender->second);
    senders_.erase(sender);
    emitTo(destination, kNotificationClosed, id, static_cast<std::uint32_t>(reason));
}

void DesktopNotificationServer::emitActionInvoked(std::uint32_t id, const std::string& actionKey)
{
    if (const auto sender = senders_.find(id); sender != senders_.end()) {
        emitTo(sender->second, kActionInvoked, id, actionKey);
    }
}

template <class... Arguments>
void DesktopNotificationServer::emitTo(const std::string& destination, const char* name, const Arguments&... arguments)
{
    if (!object_) {
        return;
    }
    try {
        auto signal = object_->createSignal(kInterface, name);
        (signal << ... << arguments);
        signal.setDestination(destination);
        object_->emitSignal(signal);
    } catch (const sdbus::Error&) {
        // the bus or the client is gone; nobody is left to hear it
    }
}
