#pragma once

#include "CPMessagingError.h"
#include "NSDictionary.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

// How messages reach a distributed messaging centre's server in another process. The sender passes the
// user information in its XML property-list form; the server side decodes and checks it with
// CPMessageDecoder before anything else sees it. CPDistributedMessagingCenter sits on top;
// CrossProcessChannels chooses the implementation: the D-Bus session bus, or an in-process loopback.
class MessagingChannel {
public:
    // Takes a decoded message for the centre; answers why not when the centre refuses it (for instance when
    // no handler is registered for the name). Thread-safe; handlers themselves run on the main run loop.
    using Acceptor =
        std::function<std::optional<std::string>(const std::string& messageName, std::shared_ptr<NSDictionary> userInfo)>;

    virtual ~MessagingChannel() = default;

    // Starts serving the centre. Main thread.
    virtual std::optional<CPMessagingError> startServer(const std::string& centerName, Acceptor acceptor) = 0;
    // Main thread.
    virtual void stopServer(const std::string& centerName) = 0;
    // Sends a message and answers once the server took or refused it. Any thread.
    virtual std::optional<CPMessagingError> send(const std::string& centerName, const std::string& messageName,
                                                 const std::string& userInfoXML) = 0;

protected:
    // Decodes the message and offers it to the acceptor: the server's side of every implementation.
    static std::optional<CPMessagingError> decodeAndAccept(const Acceptor& acceptor, const std::string& messageName,
                                                           const std::string& userInfoXML);
};
