#include "LoopbackMessagingChannel.h"

#include "MutexLocker.h"

std::optional<CPMessagingError> LoopbackMessagingChannel::startServer(const std::string& centerName, Acceptor acceptor)
{
    MutexLocker locker(mutex_);
    if (servers_.count(centerName)) {
        return CPMessagingError(CPMessagingError::Kind::Failed, centerName + " is already served");
    }
    servers_[centerName] = std::make_shared<Acceptor>(std::move(acceptor));
    return std::nullopt;
}

void LoopbackMessagingChannel::stopServer(const std::string& centerName)
{
    MutexLocker locker(mutex_);
    servers_.erase(centerName);
}

std::optional<CPMessagingError> LoopbackMessagingChannel::send(const std::string& centerName,
                                                               const std::string& messageName,
                                                               const std::string& userInfoXML)
{
    std::shared_ptr<Acceptor> acceptor;
    {
        MutexLocker locker(mutex_);
        const auto found = servers_.find(centerName);
        if (found != servers_.end()) {
            acceptor = found->second;
        }
    }
    if (!acceptor) {
        return CPMessagingError(CPMessagingError::Kind::NoServer, centerName);
    }
    return decodeAndAccept(*acceptor, messageName, userInfoXML);
}
