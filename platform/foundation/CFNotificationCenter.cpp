#include "CFNotificationCenter.h"

#include "CrossProcessChannels.h"
#include "DarwinNotificationChannel.h"
#include "MutexLocker.h"
#include "NSRunLoop.h"
#include "NSThread.h"

#include <atomic>
#include <cstdio>

struct CFNotificationCenter::Registration {
    std::string name;
    void* observer;
    Callback callback;
    std::atomic<bool> removed{false};
};

CFNotificationCenter& CFNotificationCenter::getDarwinNotifyCenter()
{
    static auto* center = new CFNotificationCenter;
    return *center;
}

void CFNotificationCenter::addObserver(const std::string& name, Callback callback, void* observer)
{
    auto registration = std::make_shared<Registration>();
    registration->name = name;
    registration->observer = observer;
    registration->callback = std::move(callback);
    {
        MutexLocker locker(mutex_);
        registrations_.push_back(std::move(registration));
    }
    // The bus connection that receives belongs to the main thread.
    NSRunLoop::performOnMainThread([this] { ensureListening(); }, true);
}

void CFNotificationCenter::ensureListening()
{
    const std::uint64_t generation = CrossProcessChannels::generation();
    {
        MutexLocker locker(mutex_);
        if (listeningGeneration_ == generation) {
            return;
        }
    }
    const auto failure = CrossProcessChannels::darwinChannel()->listen(
        [this, generation](const std::string& name) { deliver(generation, name); });
    if (failure) {
        std::fprintf(stderr, "CFNotificationCenter: cannot observe Darwin notifications: %s\n",
                     failure->reason().c_str());
        return; // tried again with the next observer
    }
    MutexLocker locker(mutex_);
    listeningGeneration_ = generation;
}

void CFNotificationCenter::removeObserver(void* observer, const std::string& name)
{
    MutexLocker locker(mutex_);
    std::erase_if(registrations_, [&](const auto& registration) {
        const bool matches = registration->observer == observer && registration->name == name;
        registration->removed = registration->removed || matches;
        return matches;
    });
}

void CFNotificationCenter::removeEveryObserver(void* observer)
{
    MutexLocker locker(mutex_);
    std::erase_if(registrations_, [&](const auto& registration) {
        const bool matches = registration->observer == observer;
        registration->removed = registration->removed || matches;
        return matches;
    });
}

void CFNotificationCenter::postNotification(const std::string& name)
{
    CrossProcessChannels::darwinChannel()->post(name);
}

void CFNotificationCenter::deliver(std::uint64_t generation, const std::string& name)
{
    if (generation != CrossProcessChannels::generation()) {
        return; // posted before the channels were chosen again
    }
    std::vector<std::shared_ptr<Registration>> matching;
    {
        MutexLocker locker(mutex_);
        for (const auto& registration : registrations_) {
            if (registration->name == name) {
                matching.push_back(registration);
            }
        }
    }
    for (const auto& registration : matching) {
        if (!registration->removed) {
            registration->callback(this, registration->observer, name, nullptr, nullptr);
        }
    }
}

void CFNotificationCenter::channelsReplaced()
{
    MutexLocker locker(mutex_);
    for (const auto& registration : registrations_) {
        registration->removed = true;
    }
    registrations_.clear();
    listeningGeneration_ = 0;
}
