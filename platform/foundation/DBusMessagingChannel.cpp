#include "DBusMessagingChannel.h"

#include "DBusNames.h"
#include "DBusSession.h"
#include "MutexLocker.h"
#include "NSRunLoop.h"
#include "NSThread.h"
#include "PendingMessageReplies.h"

#include <sdbus-c++/sdbus-c++.h>

#include <unistd.h>

namespace {

CPMessagingError errorFromReply(const std::string& centerName, const sdbus::Error& error)
{
    const std::string& name = error.getName();
    if (name == "org.freedesktop.DBus.Error.ServiceUnknown" || name == "org.freedesktop.DBus.Error.NameHasNoOwner") {
        return CPMessagingError(CPMessagingError::Kind::NoServer, centerName);
    }
    if (name == DBusNames::kRefusedError || name == "org.freedesktop.DBus.Error.AccessDenied") {
        return CPMessagingError(CPMessagingError::Kind::Refused, error.getMessage());
    }
    if (name == DBusNames::kFailedError) {
        return CPMessagingError(CPMessagingError::Kind::Failed, error.getMessage());
    }
    return CPMessagingError(CPMessagingError::Kind::Failed, name + ": " + error.getMessage());
}

bool isUnknownName(const sdbus::Error& error)
{
    return error.getName() == "org.freedesktop.DBus.Error.ServiceUnknown" ||
           error.getName() == "org.freedesktop.DBus.Error.NameHasNoOwner";
}

sdbus::Error busErrorOf(const CPMessagingError& error)
{
    return sdbus::Error(error.kind() == CPMessagingError::Kind::Refused ? DBusNames::kRefusedError
                                                                        : DBusNames::kFailedError,
                        error.reason());
}

void onMainThread(std::function<void()> block)
{
    if (NSThread::isMainThread()) {
        block();
    } else {
        NSRunLoop::performOnMainThread(std::move(block), false);
    }
}

} // namespace

struct DBusMessagingChannel::Server {
    std::string centerName;
    // Shared with local senders, which may hold them after the server ended.
    std::shared_ptr<const Acceptor> acceptor;
    std::shared_ptr<PendingMessageReplies> pending = std::make_shared<PendingMessageReplies>();
    // Main thread only, as everything of the bus connection.
    std::unique_ptr<sdbus::IObject> object;
    std::map<std::uint64_t, sdbus::MethodCall> openCalls;
    std::uint64_t lastCall = 0;

    // Main thread.
    void reply(std::uint64_t number, const std::optional<CPMessagingError>& error)
    {
        const auto found = openCalls.find(number);
        if (found == openCalls.end()) {
            return;
        }
        const sdbus::MethodCall call = std::move(found->second);
        openCalls.erase(found);
        try {
            (error ? call.createErrorReply(busErrorOf(*error)) : call.createReply()).send();
        } catch (const std::exception&) {
            // the caller went away; nothing to answer
        }
    }
};

struct DBusMessagingChannel::LocalServer {
    std::shared_ptr<const Acceptor> acceptor;
    std::shared_ptr<PendingMessageReplies> pending;
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
        endServer(server);
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
    server->acceptor = std::make_shared<const Acceptor>(std::move(acceptor));
    try {
        // The object first, so that a client that sees the name can call it at once.
        server->object = sdbus::createObject(*connection.value(), DBusNames::kMessagingObjectPath);
        server->object->registerMethod(DBusNames::kMessagingInterface, DBusNames::kMessagingMethod, "ss", "",
                                       [this, weak = std::weak_ptr<Server>(server)](sdbus::MethodCall call) {
                                           if (const auto server = weak.lock()) {
                                               received(server, std::move(call));
                                           }
                                       });
        server->object->finishRegistration();
        if (const auto owner = DBusSession::requestName(*connection.value(), centerName)) {
            return CPMessagingError(CPMessagingError::Kind::Failed, "another process owns " + centerName + " (pid " +
                                                                        std::to_string(*owner) + ")");
        }
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
    endServer(server);
}

void DBusMessagingChannel::endServer(const std::shared_ptr<Server>& server)
{
    // On the main thread the calls' error replies go out at once, while the connection still serves.
    server->pending->failAll(CPMessagingError(CPMessagingError::Kind::Failed, "the centre stopped serving"));
    try {
        server->object.reset();
        auto connection = session_->receivingConnection();
        if (connection) {
            connection.value()->releaseName(server->centerName);
        }
    } catch (const std::exception&) {
        // the bus is gone; the name went with it
    }
}

void DBusMessagingChannel::received(const std::shared_ptr<Server>& server, sdbus::MethodCall call)
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
        const std::uint64_t number = ++server->lastCall;
        server->openCalls.emplace(number, call);
        auto deliver = [weak = std::weak_ptr<Server>(server), number](std::optional<CPMessagingError> error) {
            onMainThread([weak, number, error = std::move(error)] {
                if (const auto server = weak.lock()) {
                    server->reply(number, error);
                }
            });
        };
        decodeAndAccept(*server->acceptor, messageName, userInfoXML, server->pending->track(std::move(deliver)));
    } catch (const std::exception& error) {
        try {
            refuse(std::string("malformed message: ") + error.what());
        } catch (const std::exception&) {
            // the caller went away; nothing to answer
        }
    }
}

std::optional<DBusMessagingChannel::LocalServer> DBusMessagingChannel::localServer(const std::string& centerName)
{
    MutexLocker locker(mutex_);
    const auto found = servers_.find(centerName);
    if (found == servers_.end()) {
        return std::nullopt;
    }
    return LocalServer{found->second->acceptor, found->second->pending};
}

std::optional<CPMessagingError> DBusMessagingChannel::send(const std::string& centerName,
                                                           const std::string& messageName,
                                                           const std::string& userInfoXML)
{
    if (const auto local = localServer(centerName)) {
        return sendLocally(*local->acceptor, *local->pending, messageName, userInfoXML);
    }

    // A remembered owner may have left since (a shell that restarted): then it is looked up again, once.
    for (int attempt = 0;; ++attempt) {
        std::optional<CPMessagingError> replyError;
        bool ownerLeft = false;
        const auto failure = session_->withSendingConnection([&](sdbus::IConnection& connection) {
            const auto remembered = rememberedOwner(centerName);
            std::string owner = remembered.value_or("");
            if (!remembered && (replyError = verifyOwner(connection, centerName, owner))) {
                return;
            }
            // Sent to the owner that was checked, so a name that changes hands meanwhile cannot divert it.
            auto proxy = sdbus::createProxy(connection, owner, DBusNames::kMessagingObjectPath);
            auto call = proxy->createMethodCall(DBusNames::kMessagingInterface, DBusNames::kMessagingMethod);
            call << messageName << userInfoXML;
            try {
                proxy->callMethod(call, kReplyTimeout);
            } catch (const sdbus::Error& error) {
                ownerLeft = remembered.has_value() && attempt == 0 && isUnknownName(error);
                replyError = errorFromReply(centerName, error);
            }
        });
        if (ownerLeft) {
            forgetOwner(centerName);
            continue;
        }
        if (replyError) {
            return replyError;
        }
        if (failure) {
            return CPMessagingError(CPMessagingError::Kind::Failed, failure->reason());
        }
        return std::nullopt;
    }
}

std::optional<std::string> DBusMessagingChannel::rememberedOwner(const std::string& centerName)
{
    MutexLocker locker(mutex_);
    const auto found = owners_.find(centerName);
    return found == owners_.end() ? std::nullopt : std::optional<std::string>(found->second);
}

void DBusMessagingChannel::forgetOwner(const std::string& centerName)
{
    MutexLocker locker(mutex_);
    owners_.erase(centerName);
}

std::optional<CPMessagingError> DBusMessagingChannel::verifyOwner(sdbus::IConnection& connection,
                                                                 const std::string& centerName, std::string& owner)
{
    const auto bus = sdbus::createProxy(connection, "org.freedesktop.DBus", "/org/freedesktop/DBus");
    std::uint32_t uid = 0;
    try {
        bus->callMethod("GetNameOwner").onInterface("org.freedesktop.DBus").withArguments(centerName).storeResultsTo(owner);
        bus->callMethod("GetConnectionUnixUser").onInterface("org.freedesktop.DBus").withArguments(owner).storeResultsTo(uid);
    } catch (const sdbus::Error& error) {
        return errorFromReply(centerName, error);
    }
    if (uid != geteuid()) {
        return CPMessagingError(CPMessagingError::Kind::Refused, centerName + " is served by a process of another user (uid " +
                                                                     std::to_string(uid) + "), so nothing was sent");
    }
    MutexLocker locker(mutex_);
    owners_[centerName] = owner;
    return std::nullopt;
}
