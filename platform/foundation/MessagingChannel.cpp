#include "MessagingChannel.h"

#include "CPMessageDecoder.h"
#include "MutexLocker.h"
#include "NSRunLoop.h"
#include "NSThread.h"
#include "PendingMessageReplies.h"

#include <condition_variable>

namespace {

// Where a local sender waits for its answer.
struct LocalAnswer {
    Mutex mutex;
    std::condition_variable answered;
    std::optional<std::optional<CPMessagingError>> outcome VT_GUARDED_BY(mutex);

    void set(std::optional<CPMessagingError> error)
    {
        {
            MutexLocker locker(mutex);
            outcome = std::move(error);
        }
        answered.notify_all();
        NSRunLoop::mainRunLoop().wakeUp();
    }

    bool isSet()
    {
        MutexLocker locker(mutex);
        return outcome.has_value();
    }

    bool waitWithin(std::chrono::steady_clock::duration limit)
    {
        if (NSThread::isMainThread()) {
            return NSRunLoop::mainRunLoop().runUntilWithin(
                [this] { return isSet(); }, std::chrono::duration_cast<std::chrono::milliseconds>(limit));
        }
        const auto deadline = std::chrono::steady_clock::now() + limit;
        MutexLocker locker(mutex);
        while (!outcome) {
            if (!mutex.waitUntil(answered, deadline)) {
                return outcome.has_value();
            }
        }
        return true;
    }

    std::optional<CPMessagingError> take()
    {
        MutexLocker locker(mutex);
        return *outcome;
    }
};

} // namespace

void MessagingChannel::decodeAndAccept(const Acceptor& acceptor, const std::string& messageName,
                                       const std::string& userInfoXML, Answer answer)
{
    auto decoded = CPMessageDecoder::decode(messageName, userInfoXML);
    if (!decoded) {
        answer(CPMessagingError(CPMessagingError::Kind::Refused, decoded.error().reason()));
        return;
    }
    acceptor(messageName, decoded.value(), std::move(answer));
}

std::optional<CPMessagingError> MessagingChannel::sendLocally(const Acceptor& acceptor, PendingMessageReplies& pending,
                                                              const std::string& messageName,
                                                              const std::string& userInfoXML)
{
    const auto local = std::make_shared<LocalAnswer>();
    decodeAndAccept(acceptor, messageName, userInfoXML,
                    pending.track([local](std::optional<CPMessagingError> error) { local->set(std::move(error)); }));
    if (!local->waitWithin(kReplyTimeout)) {
        return CPMessagingError(CPMessagingError::Kind::Failed, "no answer within " +
                                                                    std::to_string(kReplyTimeout.count()) + " s");
    }
    return local->take();
}
