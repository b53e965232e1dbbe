#include "CPDistributedMessagingCenter.h"

#include "CrossProcessChannels.h"
#include "MessagingChannel.h"
#include "MutexLocker.h"
#include "NSPropertyListSerialization.h"
#include "NSRunLoop.h"

namespace {

struct Registry {
    Mutex mutex;
    std::map<std::string, std::shared_ptr<CPDistributedMessagingCenter>> centers VT_GUARDED_BY(mutex);
};

// Never destroyed, and centres are never removed from it: channels and queued handler runs refer to them.
Registry& registry()
{
    static auto* instance = new Registry;
    return *instance;
}

} // namespace

std::shared_ptr<CPDistributedMessagingCenter> CPDistributedMessagingCenter::centerNamed(const std::string& name)
{
    MutexLocker locker(registry().mutex);
    auto& center = registry().centers[name];
    if (!center) {
        center.reset(new CPDistributedMessagingCenter(name));
    }
    return center;
}

std::optional<CPMessagingError> CPDistributedMessagingCenter::runServerOnCurrentThread()
{
    std::optional<CPMessagingError> failure;
    // The server's bus connection belongs to the main thread, so it serves there whoever asks.
    NSRunLoop::performOnMainThread(
        [&] {
            const std::uint64_t generation = CrossProcessChannels::generation();
            {
                MutexLocker locker(mutex_);
                if (servingGeneration_ == generation) {
                    return;
                }
            }
            failure = CrossProcessChannels::messagingChannel()->startServer(
                name_, [this, generation](const std::string& messageName, std::shared_ptr<NSDictionary> userInfo,
                                          MessagingChannel::Answer answer) {
                    accept(generation, messageName, std::move(userInfo), std::move(answer));
                });
            MutexLocker locker(mutex_);
            serverFailure_ = failure;
            if (!failure) {
                servingGeneration_ = generation;
            }
        },
        true);
    return failure;
}

std::vector<CPMessagingError> CPDistributedMessagingCenter::serverFailures()
{
    std::vector<CPMessagingError> failures;
    MutexLocker registryLocker(registry().mutex);
    for (const auto& [name, center] : registry().centers) {
        MutexLocker locker(center->mutex_);
        if (center->serverFailure_) {
            failures.push_back(*center->serverFailure_);
        }
    }
    return failures;
}

void CPDistributedMessagingCenter::stopServer()
{
    NSRunLoop::performOnMainThread(
        [this] {
            {
                MutexLocker locker(mutex_);
                serverFailure_.reset();
                if (servingGeneration_ == 0) {
                    return;
                }
                servingGeneration_ = 0;
            }
            CrossProcessChannels::messagingChannel()->stopServer(name_);
        },
        true);
}

bool CPDistributedMessagingCenter::isServing() const
{
    MutexLocker locker(mutex_);
    return servingGeneration_ != 0;
}

void CPDistributedMessagingCenter::registerForMessageName(const std::string& messageName, Handler handler)
{
    MutexLocker locker(mutex_);
    handlers_[messageName] = std::make_shared<const Registration>(Registration{
        [handler = std::move(handler)](const std::string& name, const std::shared_ptr<NSDictionary>& userInfo,
                                       const CPMessageReply&) { handler(name, userInfo); },
        false});
}

void CPDistributedMessagingCenter::registerForMessageNameAnsweringLater(const std::string& messageName,
                                                                         AnsweringHandler handler)
{
    MutexLocker locker(mutex_);
    handlers_[messageName] = std::make_shared<const Registration>(Registration{std::move(handler), true});
}

void CPDistributedMessagingCenter::unregisterForMessageName(const std::string& messageName)
{
    MutexLocker locker(mutex_);
    handlers_.erase(messageName);
}

std::optional<CPMessagingError> CPDistributedMessagingCenter::sendMessageName(
    const std::string& messageName, const std::shared_ptr<NSDictionary>& userInfo)
{
    const id dictionary = userInfo ? userInfo : NSDictionary::dictionary();
    auto xml = NSPropertyListSerialization::dataWithPropertyList(dictionary);
    if (!xml) {
        return CPMessagingError(CPMessagingError::Kind::Failed, "cannot encode the user info: " + xml.error().reason());
    }
    return CrossProcessChannels::messagingChannel()->send(name_, messageName, xml.value());
}

void CPDistributedMessagingCenter::accept(std::uint64_t generation, const std::string& messageName,
                                          std::shared_ptr<NSDictionary> userInfo, MessagingChannel::Answer answer)
{
    std::optional<std::string> refusal;
    bool answersLater = false;
    {
        MutexLocker locker(mutex_);
        const auto found = handlers_.find(messageName);
        if (servingGeneration_ != generation) {
            refusal = "the centre no longer serves";
        } else if (found == handlers_.end()) {
            refusal = "no handler for message \"" + messageName + "\"";
        } else {
            answersLater = found->second->answersLater;
        }
    }
    if (refusal) {
        answer(CPMessagingError(CPMessagingError::Kind::Refused, *refusal));
        return;
    }
    CPMessageReply reply;
    if (answersLater) {
        reply = CPMessageReply(std::move(answer));
    } else {
        answer(std::nullopt);
    }
    NSRunLoop::performOnMainThread(
        [this, generation, messageName, userInfo = std::move(userInfo), reply = std::move(reply)] {
            handle(generation, messageName, userInfo, reply);
        },
        false);
}

// A message that finds no handler any more drops its reply, which answers its sender with an error.
void CPDistributedMessagingCenter::handle(std::uint64_t generation, const std::string& messageName,
                                          const std::shared_ptr<NSDictionary>& userInfo, const CPMessageReply& reply)
{
    std::shared_ptr<const Registration> registration;
    {
        MutexLocker locker(mutex_);
        if (servingGeneration_ != generation) {
            return;
        }
        const auto found = handlers_.find(messageName);
        if (found == handlers_.end()) {
            return;
        }
        registration = found->second;
    }
    registration->handler(messageName, userInfo, reply);
}

void CPDistributedMessagingCenter::channelsReplaced()
{
    MutexLocker registryLocker(registry().mutex);
    for (const auto& [name, center] : registry().centers) {
        MutexLocker locker(center->mutex_);
        center->handlers_.clear();
        center->servingGeneration_ = 0;
        center->serverFailure_.reset();
    }
}
