#include "LoopbackDarwinNotificationChannel.h"

#include "MutexLocker.h"
#include "NSRunLoop.h"

void LoopbackDarwinNotificationChannel::post(const std::string& name)
{
    std::shared_ptr<Delivery> delivery;
    {
        MutexLocker locker(mutex_);
        delivery = delivery_;
    }
    if (delivery) {
        NSRunLoop::performOnMainThread([delivery, name] { (*delivery)(name); }, false);
    }
}

std::optional<NSError> LoopbackDarwinNotificationChannel::listen(Delivery delivery)
{
    MutexLocker locker(mutex_);
    delivery_ = std::make_shared<Delivery>(std::move(delivery));
    return std::nullopt;
}
