#pragma once

#include "CPMessageReply.h"
#include "CPMessagingError.h"
#include "Mutex.h"
#include "NSDictionary.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A named centre through which processes send each other messages: a message name with a property-list
// dictionary. One process serves the centre (runServerOnCurrentThread) and registers handlers by message
// name; any process of the same user sends to it (sendMessageName). Handlers run on the main run loop.
// The server refuses, before any handler sees it, a message from another user, one over the size or
// nesting caps, one whose user information is not a dictionary or not valid text, and one no handler is
// registered for; the sender gets the refusal as the error value. Transport: CrossProcessChannels.
//
// A plain handler's sender is answered as soon as the server took the message. A handler registered to
// answer later gets the reply and completes it when its work is done (see CPMessageReply); its sender waits
// until then, or until MessagingChannel::kReplyTimeout passes. A message whose handler never runs (the
// handler was unregistered or the server stopped in between) or drops the reply answers with an error.
class CPDistributedMessagingCenter {
public:
    using Handler = std::function<void(const std::string& messageName, const std::shared_ptr<NSDictionary>& userInfo)>;
    using AnsweringHandler = std::function<void(const std::string& messageName,
                                                const std::shared_ptr<NSDictionary>& userInfo, const CPMessageReply& reply)>;

    CPDistributedMessagingCenter(const CPDistributedMessagingCenter&) = delete;
    CPDistributedMessagingCenter& operator=(const CPDistributedMessagingCenter&) = delete;

    // The one centre of that name in this process.
    static std::shared_ptr<CPDistributedMessagingCenter> centerNamed(const std::string& name);

    const std::string& name() const { return name_; }

    // Starts serving the centre. Messages are handled on the main run loop whichever thread calls this.
    std::optional<CPMessagingError> runServerOnCurrentThread();
    // The centres of this process that were asked to serve and could not (another process holds the name,
    // say), with why: a host checks it once its libraries have started their servers, since a library may
    // drop the error. A centre that serves since, or was stopped, is not among them.
    static std::vector<CPMessagingError> serverFailures();
    // Stops serving; the senders of messages not answered yet get an error.
    void stopServer();
    bool isServing() const;
    void registerForMessageName(const std::string& messageName, Handler handler);
    void registerForMessageNameAnsweringLater(const std::string& messageName, AnsweringHandler handler);
    void unregisterForMessageName(const std::string& messageName);

    // Sends the message (null user information sends an empty dictionary) and answers once the server
    // answered it: took it (a plain handler), its handler completed the reply (one answering later), or
    // refused it. Any thread; on the main thread the main loop runs while a local server's handler answers.
    std::optional<CPMessagingError> sendMessageName(const std::string& messageName,
                                                    const std::shared_ptr<NSDictionary>& userInfo);

private:
    friend class CrossProcessChannels;

    struct Registration {
        AnsweringHandler handler;
        bool answersLater = false;
    };

    explicit CPDistributedMessagingCenter(std::string name) : name_(std::move(name)) {}
    void accept(std::uint64_t generation, const std::string& messageName, std::shared_ptr<NSDictionary> userInfo,
                MessagingChannel::Answer answer);
    void handle(std::uint64_t generation, const std::string& messageName, const std::shared_ptr<NSDictionary>& userInfo,
                const CPMessageReply& reply);
    // Every centre stops serving and forgets its handlers: the channels were chosen again.
    static void channelsReplaced();

    const std::string name_;
    mutable Mutex mutex_;
    std::map<std::string, std::shared_ptr<const Registration>> handlers_ VT_GUARDED_BY(mutex_);
    // The channel generation the server runs on; 0 = not serving.
    std::uint64_t servingGeneration_ VT_GUARDED_BY(mutex_) = 0;
    std::optional<CPMessagingError> serverFailure_ VT_GUARDED_BY(mutex_);
};
