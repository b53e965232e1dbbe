#include "SpringBoardControlClient.h"

#include "DBusSession.h"
#include "SpringBoardControlNames.h"

#include <sdbus-c++/sdbus-c++.h>

#include <cerrno>
#include <cstdlib>
#include <optional>

SpringBoardControlClient::SpringBoardControlClient() : session_(std::make_unique<DBusSession>(std::nullopt)) {}

SpringBoardControlClient::~SpringBoardControlClient() = default;

Result<sdbus::MethodReply> SpringBoardControlClient::call(const std::string& method, const Arguments& arguments,
                                                          std::chrono::seconds timeout)
{
    std::optional<sdbus::MethodReply> reply;
    std::optional<NSError> replyError;
    const auto failure = session_->withSendingConnection([&](sdbus::IConnection& connection) {
        auto proxy = sdbus::createProxy(connection, SpringBoardControlNames::kBusName, SpringBoardControlNames::kObjectPath);
        auto call = proxy->createMethodCall(SpringBoardControlNames::kInterface, method);
        arguments(call);
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

NSError SpringBoardControlClient::errorFromReply(const sdbus::Error& error, std::chrono::seconds timeout)
{
    const std::string& name = error.getName();
    if (name == "org.freedesktop.DBus.Error.ServiceUnknown" || name == "org.freedesktop.DBus.Error.NameHasNoOwner") {
        return NSError(std::string("no shell is running on this session bus (nobody owns ") +
                       SpringBoardControlNames::kBusName + "); start one with `springboard`");
    }
    if (name == SpringBoardControlNames::kRefusedError) {
        return NSError("the shell refused: " + error.getMessage());
    }
    if (name == "org.freedesktop.DBus.Error.NoReply" || name == "org.freedesktop.DBus.Error.Timeout") {
        return NSError("the shell did not answer within " + std::to_string(timeout.count()) + " seconds", ETIMEDOUT);
    }
    return NSError(name + ": " + error.getMessage());
}
