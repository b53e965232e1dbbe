#include "CrossProcessChannels.h"

#include "CFNotificationCenter.h"
#include "CPDistributedMessagingCenter.h"
#include "DBusDarwinNotificationChannel.h"
#include "DBusMessagingChannel.h"
#include "DBusSession.h"
#include "DestroyedOnMainThread.h"
#include "LoopbackDarwinNotificationChannel.h"
#include "LoopbackMessagingChannel.h"
#include "MutexLocker.h"
#include "NSRunLoop.h"
#include "NSThread.h"

namespace {

struct Channels {
    Mutex mutex;
    bool chosen VT_GUARDED_BY(mutex) = false;
    bool loopback VT_GUARDED_BY(mutex) = false;
    std::uint64_t generation VT_GUARDED_BY(mutex) = 0;
    std::shared_ptr<DarwinNotificationChannel> darwin VT_GUARDED_BY(mutex);
    std::shared_ptr<MessagingChannel> messaging VT_GUARDED_BY(mutex);
};

// Never destroyed: job threads may post while the process exits.
Channels& channels()
{
    static auto* instance = new Channels;
    return *instance;
}

void makeChannels(Channels& state, bool loopback, std::optional<std::string> address) VT_REQUIRES(state.mutex)
{
    state.chosen = true;
    state.loopback = loopback;
    ++state.generation;
    if (loopback) {
        state.darwin = std::make_shared<LoopbackDarwinNotificationChannel>();
        state.messaging = std::make_shared<LoopbackMessagingChannel>();
        return;
    }
    // Job threads post and send through these, and may hold the last reference when the channels are
    // chosen again; the bus objects must still end on the main thread, which dispatches on them.
    auto session = makeSharedDestroyedOnMainThread<DBusSession>(std::move(address));
    state.darwin = makeSharedDestroyedOnMainThread<DBusDarwinNotificationChannel>(session);
    state.messaging = makeSharedDestroyedOnMainThread<DBusMessagingChannel>(session);
}

void ensureChosen(Channels& state) VT_REQUIRES(state.mutex)
{
    if (!state.chosen) {
        makeChannels(state, false, std::nullopt);
    }
}

} // namespace

void CrossProcessChannels::useLoopback()
{
    replace(true, std::nullopt);
}

void CrossProcessChannels::useSessionBus(std::optional<std::string> address)
{
    replace(false, std::move(address));
}

void CrossProcessChannels::replace(bool loopback, std::optional<std::string> address)
{
    if (!NSThread::isMainThread()) {
        NSRunLoop::performOnMainThread([&] { replace(loopback, address); }, true);
        return;
    }
    std::shared_ptr<DarwinNotificationChannel> oldDarwin;
    std::shared_ptr<MessagingChannel> oldMessaging;
    {
        MutexLocker locker(channels().mutex);
        oldDarwin = std::move(channels().darwin);
        oldMessaging = std::move(channels().messaging);
        makeChannels(channels(), loopback, std::move(address));
    }
    CFNotificationCenter::getDarwinNotifyCenter().channelsReplaced();
    CPDistributedMessagingCenter::channelsReplaced();
    // The old channels end here unless a job thread still holds them; then the main loop ends them later.
}

bool CrossProcessChannels::isLoopback()
{
    MutexLocker locker(channels().mutex);
    ensureChosen(channels());
    return channels().loopback;
}

std::shared_ptr<DarwinNotificationChannel> CrossProcessChannels::darwinChannel()
{
    MutexLocker locker(channels().mutex);
    ensureChosen(channels());
    return channels().darwin;
}

std::shared_ptr<MessagingChannel> CrossProcessChannels::messagingChannel()
{
    MutexLocker locker(channels().mutex);
    ensureChosen(channels());
    return channels().messaging;
}

std::uint64_t CrossProcessChannels::generation()
{
    MutexLocker locker(channels().mutex);
    ensureChosen(channels());
    return channels().generation;
}
