#pragma once

#include "MessagingChannel.h"

#include <memory>
#include <string>

// The answer a sender waits for, handed to a handler registered to answer later (see
// CPDistributedMessagingCenter::registerForMessageNameAnsweringLater). The handler keeps it, or hands it
// on to the thread that does the work, and completes it once: succeed() or refuse(reason), from any
// thread; the answer is sent from the main thread. Copies share one answer; the first completion counts.
// A reply whose last copy ends without being completed answers the sender with an error, so a dropped
// message never leaves its sender waiting.
//
// Thread-safe. A default-made reply answers no one (completing it does nothing).
class CPMessageReply {
public:
    CPMessageReply() = default;
    explicit CPMessageReply(MessagingChannel::Answer answer);

    void succeed() const;
    void refuse(const std::string& reason) const;
    // The work was taken but could not be done (a write that failed): the sender learns why.
    void fail(const std::string& reason) const;
    // Whether someone waits for this answer: false for a default-made reply.
    bool isAwaited() const { return state_ != nullptr; }

private:
    class State;
    void complete(std::optional<CPMessagingError> error) const;

    std::shared_ptr<State> state_;
};
