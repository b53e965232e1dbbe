#include "VTNotificationUpdates.h"

#include <utility>

VTNotificationUpdates::Logged VTNotificationUpdates::exchange(const std::string& identifier, Logged latest)
{
    const auto known = logged_.find(identifier);
    if (known != logged_.end()) {
        return std::exchange(known->second, std::move(latest));
    }
    logged_.emplace(identifier, std::move(latest));
    order_.push_back(identifier);
    if (order_.size() > kRemembered) {
        logged_.erase(order_.front());
        order_.pop_front();
    }
    return {};
}
