#pragma once

#include "MessagingChannel.h"
#include "Mutex.h"

#include <map>

class PendingMessageReplies;

// Messaging centres within one process. A message goes through the same decoding and checks as one from
// the bus, so unit tests see the same refusals, and the sender waits for its answer as it would for one
// over the bus.
class LoopbackMessagingChannel final : public MessagingChannel {
public:
    ~LoopbackMessagingChannel() override;

    std::optional<CPMessagingError> startServer(const std::string& centerName, Acceptor acceptor) override;
    void stopServer(const std::string& centerName) override;
    std::optional<CPMessagingError> send(const std::string& centerName, const std::string& messageName,
                                         const std::string& userInfoXML) override;

private:
    struct Server {
        std::shared_ptr<const Acceptor> acceptor;
        std::shared_ptr<PendingMessageReplies> pending;
    };

    Mutex mutex_;
    std::map<std::string, Server> servers_ VT_GUARDED_BY(mutex_);
};
