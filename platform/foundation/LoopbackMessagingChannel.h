#pragma once

#include "MessagingChannel.h"
#include "Mutex.h"

#include <map>

// Messaging centres within one process. A message goes through the same decoding and checks as one from
// the bus, so unit tests see the same refusals.
class LoopbackMessagingChannel final : public MessagingChannel {
public:
    std::optional<CPMessagingError> startServer(const std::string& centerName, Acceptor acceptor) override;
    void stopServer(const std::string& centerName) override;
    std::optional<CPMessagingError> send(const std::string& centerName, const std::string& messageName,
                                         const std::string& userInfoXML) override;

private:
    Mutex mutex_;
    std::map<std::string, std::shared_ptr<Acceptor>> servers_ VT_GUARDED_BY(mutex_);
};
