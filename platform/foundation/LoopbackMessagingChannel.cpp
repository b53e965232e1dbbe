#include "LoopbackMessagingChannel.h"

#include "MutexLocker.h"
#include "PendingMessageReplies.h"

namespace {

const CPMessagingError kStopped(CPMessagingError::Kind::Failed, "the centre stopped serving");

} // namespace

LoopbackMessagingChannel::~LoopbackMessagingChannel()
{
    std::map<std::string, Server> servers;
    {
        MutexLocker locker(mutex_);
        servers.swap(servers_);
    }
    for (const auto& [name, server] : servers) {
        server.pending->failAll(kStopped);
    }
}

std::optional<CPMessagingError> LoopbackMessagingChannel::startServer(const std::string& centerName, Acceptor acceptor)
{
    MutexLocker locker(mutex_);
    if (servers_.count(centerName)) {
        return CPMessagingError(CPMessagingError::Kind::Failed, centerName + " is already served");
    }
    servers_[centerName] = {std::make_shared<const Acceptor>(std::move(acceptor)), std::make_shared<PendingMessageReplies>()};
    return std::nullopt;
}

void LoopbackMessagingChannel::stopServer(const std::string& centerName)
{
    std::optional<Server> server;
    {
        MutexLocker locker(mutex_);
        const auto found = servers_.find(centerName);
        if (found == servers_.end()) {
            return;
        }
        server = std::move(found->second);
        servers_.erase(found);
    }
    server->pending->failAll(kStopped);
}

std::optional<CPMessagingError> LoopbackMessagingChannel::send(const std::string& centerName,
                                                               const std::string& messageName,
                                                               const std::string& userInfoXML)
{
    std::optional<Server> server;
    {
        MutexLocker locker(mutex_);
        const auto found = servers_.find(centerName);
        if (found != servers_.end()) {
            server = found->second;
        }
    }
    if (!server) {
        return CPMessagingError(CPMessagingError::Kind::NoServer, centerName);
    }
    return sendLocally(*server->acceptor, *server->pending, messageName, userInfoXML);
}
