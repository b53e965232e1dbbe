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
                name_, [this, generation](const std::string& messageName, std::shared_ptr<NSDictionary> userInfo) {
                    return accept(generation, messageName, std::move(userInfo));
                });
            if (!failure) {
                MutexLocker locker(mutex_);
                servingGeneration_ = generation;
            }
        },
        true);
    return failure;
}

void CPDistributedMessagingCenter::stopServer()
{
    NSRunLoop::performOnMainThread(
        [this] {
            {
                MutexLocker locker(mutex_);
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
    handlers_[messageName] = std::make_shared<Handler>(std::move(handler));
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

std::optional<std::string> CPDistributedMessagingCenter::accept(std::uint64_t generation,
                                                                const std::string& messageName,
                                                                std::shared_ptr<NSDictionary> userInfo)
{
    {
        MutexLocker locker(mutex_);
        if (servingGeneration_ != generation) {
            return "the centre no longer serves";
        }
        if (!handlers_.count(messageName)) {
            return "no handler for message \"" + messageName + "\"";
        }
    }
    NSRunLoop::performOnMainThread(
        [this, generation, messageName, userInfo = std::move(userInfo)] { handle(generation, messageName, userInfo); },
        false);
    return std::nullopt;
}

void CPDistributedMessagingCenter::handle(std::uint64_t generation, const std::string& messageName,
                                          const std::shared_ptr<NSDictionary>& userInfo)
{
    std::shared_ptr<Handler> handler;
    {
        MutexLocker locker(mutex_);
        if (servingGeneration_ != generation) {
            return;
        }
        const auto found = handlers_.find(messageName);
        if (found == handlers_.end()) {
            return;
        }
        handler = found->second;
    }
    (*handler)(messageName, userInfo);
}

void CPDistributedMessagingCenter::channelsReplaced()
{
    MutexLocker registryLocker(registry().mutex);
    for (const auto& [name, center] : registry().centers) {
        MutexLocker locker(center->mutex_);
        center->handlers_.clear();
        center->servingGeneration_ = 0;
    }
}
