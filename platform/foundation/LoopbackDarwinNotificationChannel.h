#pragma once

#include "DarwinNotificationChannel.h"
#include "Mutex.h"

// Darwin notifications within one process: a post is delivered on the main run loop, as the bus would.
class LoopbackDarwinNotificationChannel final : public DarwinNotificationChannel {
public:
    void post(const std::string& name) override;
    std::optional<NSError> listen(Delivery delivery) override;

private:
    Mutex mutex_;
    std::shared_ptr<Delivery> delivery_ VT_GUARDED_BY(mutex_);
};
