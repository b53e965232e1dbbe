#include "PendingMessageReplies.h"

#include "MutexLocker.h"

#include <utility>
#include <vector>

PendingMessageReplies::PendingMessageReplies() : state_(std::make_shared<State>()) {}

PendingMessageReplies::~PendingMessageReplies()
{
    failAll(CPMessagingError(CPMessagingError::Kind::Failed, "the centre stopped serving"));
}

MessagingChannel::Answer PendingMessageReplies::track(Deliver deliver)
{
    std::uint64_t id = 0;
    {
        MutexLocker locker(state_->mutex);
        id = ++state_->nextId;
        state_->waiting.emplace(id, std::move(deliver));
    }
    return [weakState = std::weak_ptr<State>(state_), id](std::optional<CPMessagingError> error) {
        const auto state = weakState.lock();
        if (!state) {
            return;
        }
        Deliver deliver;
        {
            MutexLocker locker(state->mutex);
            const auto found = state->waiting.find(id);
            if (found == state->waiting.end()) {
                return;
            }
            deliver = std::move(found->second);
            state->waiting.erase(found);
        }
        deliver(std::move(error));
    };
}

void PendingMessageReplies::failAll(const CPMessagingError& error)
{
    std::map<std::uint64_t, Deliver> waiting;
    {
        MutexLocker locker(state_->mutex);
        waiting.swap(state_->waiting);
    }
    for (auto& [id, deliver] : waiting) {
        deliver(error);
    }
}
