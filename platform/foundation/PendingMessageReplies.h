#pragma once

#include "MessagingChannel.h"
#include "Mutex.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

// The messages a server has taken and not answered yet, each with the way its answer reaches the sender.
// A server keeps one: when it stops (or this ends), every message still waiting is answered with an error,
// so no sender waits for an answer that can no longer come; an answer given after that is ignored.
//
// Thread-safe. Deliveries run on the thread that answers (or stops), outside the lock.
class PendingMessageReplies {
public:
    using Deliver = std::function<void(std::optional<CPMessagingError> error)>;

    PendingMessageReplies();
    ~PendingMessageReplies();
    PendingMessageReplies(const PendingMessageReplies&) = delete;
    PendingMessageReplies& operator=(const PendingMessageReplies&) = delete;

    // Registers a message; the answer handed back delivers once, also after this has ended (then not at all).
    MessagingChannel::Answer track(Deliver deliver);
    // Answers every waiting message with the error.
    void failAll(const CPMessagingError& error);

private:
    struct State {
        Mutex mutex;
        std::uint64_t nextId VT_GUARDED_BY(mutex) = 0;
        std::map<std::uint64_t, Deliver> waiting VT_GUARDED_BY(mutex);
    };
    const std::shared_ptr<State> state_;
};
