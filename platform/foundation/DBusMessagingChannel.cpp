#include "DBusMessagingChannel.h"

#include "DBusNames.h"
#include "DBusSession.h"
#include "MutexLocker.h"

#include <sdbus-c++/sdbus-c++.h>

#include <unistd.h>

#include <chrono>

namespace {

constexpr auto kSendTimeout = std::chrono::seconds(10);

CPMessagingError errorFromReply(const std::string& centerName, const sdbus::Error& error)
{
    const std::string& name = error.getName();
    if (name == "org.freedesktop.DBus.Error.ServiceUnknown" || name == "org.freedesktop.DBus.Error.NameHasNoOwner") {
        return CPMessagingError(CPMessagingError::Kind::NoServer, centerName);
    }
    if (name == DBusNames::kRefusedError || name == "org.freedesktop.DBus.Error.AccessDenied") {
        return CPMessagingError(CPMessagingError::Kind::Refused, error.getMessage());
    }
    return CPMessagingError(CPMessagingError::Kind::Failed, name + ": " + error.getMessage());
}

} // namespace

struct DBusMessagingChannel::Server {
    std::string centerName;
    std::shared_ptr<Acceptor> acceptor;
    std::unique_ptr<sdbus::IObject> object; // main thread only
};

DBusMessagingChannel::DBusMessagingChannel(std::shared_ptr<DBusSession> session) : session_(std::move(session)) {}

DBusMessagingChannel::~DBusMessagingChannel()
{
    std::map<std::string, std::shared_ptr<Server>> servers;
    {
        MutexLocker locker(mutex_);
        servers.swap(servers_);
    }
    for (const auto& [name, server] : servers) {
        try {
            server->object.reset();
            auto connection = session_->receivingConnection();
            if (connection) {
                connection.value()->releaseName(name);
            }
        } catch (const std::exception&) {
            // the bus is gone; the name went with it
        }
    }
}

std::optional<CPMessagingError> DBusMessagingChannel::startServer(const std::string& centerName, Acceptor acceptor)
{
    {
        MutexLocker locker(mutex_);
        if (servers_.count(centerName)) {
            return CPMessagingError(CPMessagingError::Kind::Failed, centerName + " is already served");
        }
    }
    auto connection = session_->receivingConnection();
    if (!connection) {
        return CPMessagingError(CPMessagingError::Kind::Failed, connection.error().reason());
    }
    auto server = std::make_shared<Server>();
    server->centerName = centerName;
    server->acceptor = std::make_shared<Acceptor>(std::move(acceptor));
    try {
        // The object first, so that a client that sees the name can call it at once.
        server->object = sdbus::createObject(*connection.value(), DBusNames::kMessagingObjectPath);
        Server* raw = server.get();
        server->object->registerMethod(DBusNames::kMessagingInterface, DBusNames::kMessagingMethod, "ss", "",
                                       [this, raw](sdbus::MethodCall call) { received(*raw, std::move(call)); });
        server->object->finishRegistration();
        connection.value()->requestName(centerName);
    } catch (const std::exception& error) {
        return CPMessagingError(CPMessagingError::Kind::Failed, "cannot serve " + centerName + ": " + error.what());
    }
    MutexLocker locker(mutex_);
    servers_[centerName] = std::move(server);
    return std::nullopt;
}

void DBusMessagingChannel::stopServer(const std::string& centerName)
{
    std::shared_ptr<Server> server;
    {
        MutexLocker locker(mutex_);
        const auto found = servers_.find(centerName);
        if (found == servers_.end()) {
            return;
        }
        server = found->second;
        servers_.erase(found);
    }
    try {
        server->object.reset();
        auto connection = session_->receivingConnection();
        if (connection) {
            connection.value()->releaseName(centerName);
        }
    } catch (const std::exception&) {
    }
}

void DBusMessagingChannel::received(Server& server, sdbus::MethodCall call)
{
    auto refuse = [&](const std::string& reason) {
        call.createErrorReply(sdbus::Error(DBusNames::kRefusedError, reason)).send();
    };
    try {
        const auto uid = session_->senderUid(call);
        if (!uid || *uid != geteuid()) {
            refuse("the sender runs as another user");
            return;
        }
        std::string messageName;
        std::string userInfoXML;
        call >> messageName >> userInfoXML;
        if (auto refusal = decodeAndAccept(*server.acceptor, messageName, userInfoXML)) {
            refuse(refusal->reason());
            return;
        }
        call.createReply().send();
    } catch (const std::exception& error) {
        try {
            refuse(std::string("malformed message: ") + error.what());
        } catch (const std::exception&) {
            // the caller went away; nothing to answer
        }
    }
}

std::shared_ptr<MessagingChannel::Acceptor> DBusMessagingChannel::localAcceptor(const std::string& centerName)
{
    MutexLocker locker(mutex_);
    const auto found = servers_.find(centerName);
    return found == servers_.end() ? nullptr : found->second->acceptor;
}

std::optional<CPMessagingError> DBusMessagingChannel::send(const std::string& centerName,
                                                           const std::string& messageName,
                                                           const std::string& userInfoXML)
{
    if (auto acceptor = localAcceptor(centerName)) {
        return decodeAndAccept(*acceptor, messageName, userInfoXML);
    }

    std::optional<CPMessagingError> replyError;
    const auto failure = session_->withSendingConnection([&](sdbus::IConnection& connection) {
        auto proxy = sdbus::createProxy(connection, centerName, DBusNames::kMessagingObjectPath);
        auto call = proxy->createMethodCall(DBusNames::kMessagingInterface, DBusNames::kMessagingMethod);
        call << messageName << userInfoXML;
        try {
            proxy->callMethod(call, kSendTimeout);
        } catch (const sdbus::Error& error) {
            replyError = errorFromReply(centerName, error);
        }
    });
    if (replyError) {
        return replyError;
    }
    if (failure) {
        return CPMessagingError(CPMessagingError::Kind::Failed, failure->reason());
    }
    return std::nullopt;
}
