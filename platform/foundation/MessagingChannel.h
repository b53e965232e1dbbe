#pragma once

#include "CPMessagingError.h"
#include "NSDictionary.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class PendingMessageReplies;

// How messages reach a distributed messaging centre's server in another process. The sender passes the
// user information in its XML property-list form; the server side decodes and checks it with
// CPMessageDecoder before anything else sees it. CPDistributedMessagingCenter sits on top;
// CrossProcessChannels chooses the implementation: the D-Bus session bus, or an in-process loopback.
class MessagingChannel {
public:
    // The answer to one message: nothing when the centre took it and is done with it, else why not. Called
    // at most once, from any thread.
    using Answer = std::function<void(std::optional<CPMessagingError> error)>;
    // Takes a decoded message for the centre and answers it, at once or later (for instance when no handler
    // is registered for the name, at once with a refusal). Thread-safe; handlers themselves run on the main
    // run loop.
    using Acceptor =
        std::function<void(const std::string& messageName, std::shared_ptr<NSDictionary> userInfo, Answer answer)>;

    // How long a sender waits for the answer before it gives up with an error.
    static constexpr std::chrono::seconds kReplyTimeout{10};

    virtual ~MessagingChannel() = default;

    // Starts serving the centre. Main thread.
    virtual std::optional<CPMessagingError> startServer(const std::string& centerName, Acceptor acceptor) = 0;
    // Stops serving; every message taken and not answered yet is answered with an error. Main thread.
    virtual void stopServer(const std::string& centerName) = 0;
    // Sends a message and answers once the server answered it (or refused it, or kReplyTimeout passed).
    // Any thread.
    virtual std::optional<CPMessagingError> send(const std::string& centerName, const std::string& messageName,
                                                 const std::string& userInfoXML) = 0;

protected:
    // Decodes the message and offers it to the acceptor: the server's side of every implementation. A
    // message that does not decode is refused at once.
    static void decodeAndAccept(const Acceptor& acceptor, const std::string& messageName,
                                const std::string& userInfoXML, Answer answer);
    // A message to a centre this process serves: offered to its acceptor on the calling thread, then waited
    // for until answered (the main thread runs its loop meanwhile, so that a handler there can answer).
    static std::optional<CPMessagingError> sendLocally(const Acceptor& acceptor, PendingMessageReplies& pending,
                                                       const std::string& messageName, const std::string& userInfoXML);
};
