#include "ControlClient.h"

#include "DBusSession.h"

#include <sdbus-c++/sdbus-c++.h>

#include <cerrno>
#include <cstdlib>
#include <optional>

ControlClient::ControlClient(ControlNames names) : names_(names), session_(std::make_unique<DBusSession>(std::nullopt)) {}

ControlClient::~ControlClient() = default;

Result<sdbus::MethodReply> ControlClient::call(const std::string& method, const Arguments& arguments,
                                               std::chrono::seconds timeout)
{
    std::optional<sdbus::MethodReply> reply;
    std::optional<NSError> replyError;
    const auto failure = session_->withSendingConnection([&](sdbus::IConnection& connection) {
        auto proxy = sdbus::createProxy(connection, names_.busName, names_.objectPath);
        auto call = proxy->createMethodCall(names_.interface, method);
        if (arguments) {
            arguments(call);
        }
        try {
            reply = proxy->callMethod(call, timeout);
        } catch (const sdbus::Error& error) {
            replyError = errorFromReply(error, timeout);
        }
    });
    if (replyError) {
        return *replyError;
    }
    if (failure) {
        const bool noBus = !std::getenv("DBUS_SESSION_BUS_ADDRESS");
        return NSError("cannot reach the session bus: " + failure->reason() +
                       (noBus ? " (DBUS_SESSION_BUS_ADDRESS is not set; is a session bus running?)" : ""));
    }
    return std::move(*reply);
}

NSError ControlClient::errorFromReply(const sdbus::Error& error, std::chrono::seconds timeout) const
{
    const std::string& name = error.getName();
    const std::string host = names_.description;
    if (name == "org.freedesktop.DBus.Error.ServiceUnknown" || name == "org.freedesktop.DBus.Error.NameHasNoOwner") {
        return NSError("no " + host + " is running on this session bus (nobody owns " + names_.busName +
                       "); start one with `" + names_.program + "`",
                       ESRCH);
    }
    if (name == names_.refusedError) {
        return NSError("the " + host + " refused: " + error.getMessage());
    }
    if (name == "org.freedesktop.DBus.Error.NoReply" || name == "org.freedesktop.DBus.Error.Timeout") {
        return NSError("the " + host + " did not answer within " + std::to_string(timeout.count()) + " seconds",
                       ETIMEDOUT);
    }
    return NSError(name + ": " + error.getMessage());
}
