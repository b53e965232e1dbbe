#include "CPMessageReply.h"

#include "Mutex.h"
#include "MutexLocker.h"

#include <utility>

class CPMessageReply::State {
public:
    explicit State(MessagingChannel::Answer answer) : answer_(std::move(answer)) {}
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    ~State()
    {
        complete(CPMessagingError(CPMessagingError::Kind::Failed, "the server dropped the message without answering"));
    }

    void complete(std::optional<CPMessagingError> error)
    {
        MessagingChannel::Answer answer;
        {
            MutexLocker locker(mutex_);
            answer = std::exchange(answer_, nullptr);
        }
        if (answer) {
            answer(std::move(error));
        }
    }

private:
    Mutex mutex_;
    MessagingChannel::Answer answer_ VT_GUARDED_BY(mutex_);
};

CPMessageReply::CPMessageReply(MessagingChannel::Answer answer) : state_(std::make_shared<State>(std::move(answer))) {}

void CPMessageReply::succeed() const
{
    complete(std::nullopt);
}

void CPMessageReply::refuse(const std::string& reason) const
{
    complete(CPMessagingError(CPMessagingError::Kind::Refused, reason));
}

void CPMessageReply::fail(const std::string& reason) const
{
    complete(CPMessagingError(CPMessagingError::Kind::Failed, reason));
}

void CPMessageReply::complete(std::optional<CPMessagingError> error) const
{
    if (state_) {
        state_->complete(std::move(error));
    }
}
